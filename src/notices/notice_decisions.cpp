#include "notices/notice_decisions.hpp"

#include <algorithm>

namespace notices {
namespace {

using platform::FileTime;

bool same_window(FileTime a, FileTime b) {
    return (a > b ? a - b : b - a) < SAME_WINDOW_TOLERANCE;
}

struct NamedBar {
    std::string_view name;
    const poller::UsageBar* bar;
};

std::vector<NamedBar> bars_of(const poller::UsageData& usage) {
    std::vector<NamedBar> bars = {{"5h", &usage.five_hour}, {"7d", &usage.seven_day}};
    for (const auto& model : usage.model_bars) {
        bars.push_back({model.label, &model.bar});
    }
    return bars;
}

ReachedWindow* find_window(NoticeMemory& memory, std::string_view account, std::string_view bar,
                           FileTime resets_at) {
    for (auto& window : memory.windows) {
        if (window.account_id == account && window.bar == bar && same_window(window.resets_at, resets_at)) {
            return &window;
        }
    }
    return nullptr;
}

// The bar's current reading shows a later window than the remembered one.
bool moved_on(const poller::UsageSnapshot& entry, const ReachedWindow& window) {
    if (!entry.usage) {
        return false;
    }
    for (const auto& named : bars_of(*entry.usage)) {
        if (named.name == window.bar && named.bar->resets_at && *named.bar->resets_at > window.resets_at &&
            !same_window(*named.bar->resets_at, window.resets_at)) {
            return true;
        }
    }
    return false;
}

}  // namespace

NoticeDecision decide_notices(const std::vector<poller::UsageSnapshot>& usage, const NoticeMemory& memory,
                              NoticeSwitches switches, FileTime now) {
    NoticeDecision decision;
    decision.memory = memory;
    NoticeMemory& remembered = decision.memory;
    const double threshold = switches.near_limit > 0 ? switches.near_limit : DEFAULT_REACHED_PERCENT;

    for (const auto& entry : usage) {
        const std::string label = entry.label.value_or(entry.account_id);
        // Resets first, so a window that ends and the next one reaching the share both speak.
        for (auto& window : remembered.windows) {
            if (window.account_id != entry.account_id || window.reset_decided) {
                continue;
            }
            if (now >= window.resets_at || moved_on(entry, window)) {
                window.reset_decided = true;
                // A reset long past (the program was not running) is no longer news.
                const bool fresh = now < window.resets_at || now - window.resets_at <= STALE_RESET;
                if (switches.reset && fresh) {
                    decision.notices.push_back(
                        {NoticeKind::Reset, entry.account_id, label, window.bar, {0.0, window.resets_at}});
                }
            }
        }
        if (!entry.usage) {
            continue;
        }
        for (const auto& named : bars_of(*entry.usage)) {
            const poller::UsageBar& bar = *named.bar;
            if (!bar.resets_at || now >= *bar.resets_at) {
                continue;
            }
            if (ReachedWindow* known =
                    find_window(remembered, entry.account_id, named.name, *bar.resets_at)) {
                known->resets_at = *bar.resets_at;  // follow a reset that drifts
                continue;
            }
            if (bar.percent < threshold) {
                continue;
            }
            remembered.windows.push_back({entry.account_id, std::string(named.name), *bar.resets_at, false});
            if (switches.near_limit > 0) {
                decision.notices.push_back(
                    {NoticeKind::NearLimit, entry.account_id, label, std::string(named.name), bar});
            }
        }
    }
    std::erase_if(remembered.windows, [now](const ReachedWindow& window) {
        return window.resets_at <= now && now - window.resets_at > MEMORY_AFTER_RESET;
    });
    return decision;
}

std::string_view debug_name(NoticeKind kind) noexcept {
    return kind == NoticeKind::NearLimit ? "near-limit" : "reset";
}

}  // namespace notices

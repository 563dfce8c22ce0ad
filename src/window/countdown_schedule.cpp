#include "window/countdown_schedule.hpp"

#include <algorithm>

namespace window {
namespace {

template <typename Visit>
void for_each_reset(const std::vector<poller::UsageSnapshot>& usage, Visit visit) {
    for (const auto& snapshot : usage) {
        if (!snapshot.usage) {
            continue;
        }
        const poller::UsageData& data = *snapshot.usage;
        for (const poller::UsageBar* bar : {&data.five_hour, &data.seven_day}) {
            if (bar->resets_at) {
                visit(*bar->resets_at);
            }
        }
        for (const auto& model : data.model_bars) {
            if (model.bar.resets_at) {
                visit(*model.bar.resets_at);
            }
        }
    }
}

}  // namespace

CountdownTimers plan_countdown_timers(bool has_polled, const std::vector<poller::UsageSnapshot>& usage,
                                      platform::FileTime now) {
    CountdownTimers plan;
    if (!has_polled) {
        plan.kill_countdown_and_retry = true;
        return plan;
    }
    if (usage.empty()) {
        return plan;
    }
    std::optional<std::uint64_t> shortest_wait_s;
    for_each_reset(usage, [&](platform::FileTime reset) {
        if (reset <= now) {
            plan.passed_reset = std::max(plan.passed_reset.value_or(reset), reset);
            return;
        }
        const std::uint64_t r = (reset - now) / platform::FILETIME_TICKS_PER_SECOND;
        const std::uint64_t unit = r < 60 ? 1 : r < 86400 ? 60 : 3600;
        const std::uint64_t wait = r % unit + 1;
        shortest_wait_s = std::min(shortest_wait_s.value_or(wait), wait);
    });
    if (!shortest_wait_s) {
        plan.countdown_ms = COUNTDOWN_IDLE_MS;
    } else {
        // The wait is at most 3600 s, so the product fits.
        plan.countdown_ms = std::max(static_cast<std::uint32_t>(*shortest_wait_s * 1000), COUNTDOWN_MIN_MS);
    }
    return plan;
}

std::uint64_t countdown_display_key(const std::vector<poller::UsageSnapshot>& usage,
                                    platform::FileTime now) noexcept {
    std::uint64_t key = 1469598103934665603ULL;  // FNV-1a over the displayed values, in order
    const auto mix = [&key](std::uint64_t value) {
        key ^= value;
        key *= 1099511628211ULL;
    };
    for_each_reset(usage, [&](platform::FileTime reset) {
        if (reset <= now) {
            mix(~std::uint64_t{0});
            return;
        }
        const std::uint64_t r = (reset - now) / platform::FILETIME_TICKS_PER_SECOND;
        const std::uint64_t unit = r < 60 ? 1 : r < 86400 ? 60 : 3600;
        mix(unit);
        mix(r / unit);
    });
    return key;
}

}  // namespace window

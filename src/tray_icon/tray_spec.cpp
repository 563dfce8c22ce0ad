#include "tray_icon/tray_spec.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <unordered_set>

#include "localization/feature_texts.hpp"
#include "localization/string_table.hpp"
#include "poller/pace.hpp"

namespace tray_icon {
namespace {

// N of "<prefix>N" when N is a numbered-block offset written as the program writes it: digits
// only, no leading zero.
std::optional<std::uint32_t> numbered(std::string_view id, std::string_view prefix) noexcept {
    if (!id.starts_with(prefix)) {
        return std::nullopt;
    }
    const std::string_view digits = id.substr(prefix.size());
    if (digits.empty() || (digits.size() > 1 && digits.front() == '0')) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size() || value >= NUMBERED_UID_COUNT) {
        return std::nullopt;
    }
    return value;
}

std::uint32_t other_uid_hash(std::string_view id) noexcept {
    std::uint32_t h = 2166136261u;  // FNV-1a
    for (const char c : id) {
        h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    }
    return h % OTHER_UID_COUNT;
}

std::string_view account_label(const accounts::Account& account) {
    return account.email ? std::string_view(*account.email) : std::string_view(account.id);
}

TrayIconSpec placeholder(const localization::StringTable& strings, const panel::PanelPalette& palette) {
    TrayIconSpec spec;
    // With no account to name, the tooltip says which build runs.
    spec.tooltip = localization::cut_to_utf16_units(std::string(strings.app_title) + " " + GAUGELET_VERSION);
    spec.uid = PLACEHOLDER_UID;
    spec.colour = palette.claude_accent;
    return spec;
}

}  // namespace

std::optional<std::uint32_t> numbered_tray_uid(std::string_view account_id) noexcept {
    if (const auto n = numbered(account_id, "claude-")) {
        return CLAUDE_UID_BASE + *n;
    }
    if (const auto n = numbered(account_id, "codex-")) {
        return CODEX_UID_BASE + *n;
    }
    return std::nullopt;
}

std::vector<std::uint32_t> tray_uids(const std::vector<std::string_view>& account_ids) {
    std::vector<std::optional<std::uint32_t>> numbered_uids;
    std::unordered_set<std::uint32_t> taken;
    for (const std::string_view id : account_ids) {
        auto uid = numbered_tray_uid(id);
        if (uid && !taken.insert(*uid).second) {
            uid.reset();  // the same id listed twice: the second icon needs its own uid
        }
        numbered_uids.push_back(uid);
    }
    std::vector<std::uint32_t> uids;
    uids.reserve(account_ids.size());
    for (std::size_t i = 0; i < account_ids.size(); ++i) {
        if (numbered_uids[i]) {
            uids.push_back(*numbered_uids[i]);
            continue;
        }
        std::uint32_t offset = other_uid_hash(account_ids[i]);
        while (!taken.insert(OTHER_UID_BASE + offset).second) {
            offset = (offset + 1) % OTHER_UID_COUNT;
        }
        uids.push_back(OTHER_UID_BASE + offset);
    }
    return uids;
}

std::vector<accounts::Account> tray_account_selection(
    const std::vector<accounts::Account>& accounts,
    const std::optional<std::vector<std::string>>& tray_accounts) {
    if (!tray_accounts) {
        return accounts;
    }
    std::vector<accounts::Account> selected;
    for (const auto& account : accounts) {
        if (std::find(tray_accounts->begin(), tray_accounts->end(), account.id) != tray_accounts->end()) {
            selected.push_back(account);
        }
    }
    return selected;
}

std::vector<TrayIconSpec> build_tray_specs(const TrayInput& input, platform::FileTime now,
                                           localization::LocalTimeConversion to_local) {
    const localization::StringTable& strings = localization::string_table(input.language);
    const panel::PanelPalette palette = panel::palette_for(input.panel_theme);
    const std::vector<accounts::Account> shown = tray_account_selection(input.accounts, input.tray_accounts);
    std::vector<std::string_view> ids;
    for (const auto& account : shown) {
        ids.emplace_back(account.id);
    }
    const std::vector<std::uint32_t> uids = tray_uids(ids);
    std::vector<TrayIconSpec> specs;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const accounts::Account& account = shown[i];
        const bool is_codex = account.provider == accounts::Provider::Codex;
        const std::string_view provider = is_codex ? strings.provider_codex : strings.provider_claude_code;
        TrayIconSpec spec;
        spec.is_codex = is_codex;
        spec.colour = is_codex ? palette.codex_accent : palette.claude_accent;
        spec.uid = uids[i];
        const auto snapshot = std::find_if(input.usage.begin(), input.usage.end(),
                                           [&](const auto& s) { return s.account_id == account.id; });
        if (snapshot != input.usage.end() && snapshot->usage) {
            const poller::UsageData& data = *snapshot->usage;
            spec.has_usage = true;
            switch (input.tray_metric) {
                case settings::TrayMetric::SevenDay:
                    spec.primary = data.seven_day.percent;
                    break;
                case settings::TrayMetric::FiveHour:
                    spec.primary = data.five_hour.percent;
                    break;
                case settings::TrayMetric::Both:
                default:
                    spec.primary = data.five_hour.percent;
                    spec.secondary = data.seven_day.percent;
                    spec.two_bars = true;
                    break;
            }
            spec.primary = localization::shown_percent(spec.primary, input.show_remaining);
            if (spec.two_bars) {
                spec.secondary = localization::shown_percent(spec.secondary, input.show_remaining);
            }
            const auto& texts = localization::feature_texts(input.language);
            spec.tooltip = localization::with_run_out(
                localization::usage_tooltip(
                    provider, account_label(account),
                    localization::bar_value_text(data.five_hour, strings, texts, input.show_remaining, now, to_local),
                    localization::bar_value_text(data.seven_day, strings, texts, input.show_remaining, now, to_local)),
                " | ", poller::earliest_run_out(data, now), now, texts, to_local);
        } else {
            spec.tooltip = localization::account_tooltip(provider, account_label(account));
        }
        spec.tooltip = localization::cut_to_utf16_units(spec.tooltip);
        specs.push_back(std::move(spec));
    }
    if (specs.empty()) {
        specs.push_back(placeholder(strings, palette));
    }
    return specs;
}

std::vector<TrayIconSpec> placeholder_specs(localization::Language language, settings::PanelTheme theme) {
    return {placeholder(localization::string_table(language), panel::palette_for(theme))};
}

bool same_picture(const TrayIconSpec& a, const TrayIconSpec& b) noexcept {
    // Compared as drawn: a reading that moves less than a pixel leaves the icon as it is.
    return a.has_usage == b.has_usage && a.two_bars == b.two_bars && a.is_codex == b.is_codex &&
           a.colour == b.colour && tray_fill_width(a.primary) == tray_fill_width(b.primary) &&
           (!a.two_bars || tray_fill_width(a.secondary) == tray_fill_width(b.secondary));
}

std::vector<TrayAction> tray_actions(const std::vector<TrayIconSpec>& specs,
                                     const std::vector<TrayIconSpec>& shown) {
    const auto shown_with = [&shown](std::uint32_t uid) {
        return std::find_if(shown.begin(), shown.end(), [uid](const auto& s) { return s.uid == uid; });
    };
    std::vector<TrayAction> actions;
    for (std::size_t i = 0; i < specs.size(); ++i) {
        const auto before = shown_with(specs[i].uid);
        if (before == shown.end() || !same_picture(*before, specs[i])) {
            actions.push_back({TrayAction::Kind::AddOrModify, specs[i].uid, i});
        } else if (before->tooltip != specs[i].tooltip) {
            actions.push_back({TrayAction::Kind::Tooltip, specs[i].uid, i});
        }
    }
    for (const TrayIconSpec& old : shown) {
        const bool kept =
            std::any_of(specs.begin(), specs.end(), [&old](const auto& s) { return s.uid == old.uid; });
        if (!kept) {
            actions.push_back({TrayAction::Kind::Delete, old.uid, 0});
        }
    }
    return actions;
}

std::int32_t tray_fill_width(double percent) noexcept {
    if (std::isnan(percent)) {
        return 0;
    }
    const double fraction = std::clamp(percent / 100.0, 0.0, 1.0);
    return static_cast<std::int32_t>(std::lround(fraction * TRAY_ICON_SIZE));
}

std::vector<TrayBar> tray_bars(const TrayIconSpec& spec) {
    if (!spec.has_usage) {
        return {};
    }
    if (!spec.two_bars) {
        return {TrayBar{{0, 0, TRAY_ICON_SIZE, TRAY_ICON_SIZE}, tray_fill_width(spec.primary)}};
    }
    constexpr std::int32_t thickness = 30;
    constexpr std::int32_t second_top = thickness + 4;
    return {
        TrayBar{{0, 0, TRAY_ICON_SIZE, thickness}, tray_fill_width(spec.primary)},
        TrayBar{{0, second_top, TRAY_ICON_SIZE, second_top + thickness}, tray_fill_width(spec.secondary)}};
}

}  // namespace tray_icon

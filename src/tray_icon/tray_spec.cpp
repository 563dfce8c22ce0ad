#include "tray_icon/tray_spec.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "localization/feature_texts.hpp"
#include "localization/string_table.hpp"
#include "poller/pace.hpp"

namespace tray_icon {
namespace {

// The decimal after a prefix, as an unsigned 32-bit number ("+7" allowed, nothing else).
std::optional<std::uint32_t> numbered(std::string_view id, std::string_view prefix) {
    if (!id.starts_with(prefix)) {
        return std::nullopt;
    }
    std::string_view rest = id.substr(prefix.size());
    if (rest.starts_with('+')) {
        rest.remove_prefix(1);
    }
    if (rest.empty() || rest.front() < '0' || rest.front() > '9') {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
    if (error != std::errc() || end != rest.data() + rest.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::uint32_t> offset_uid(std::optional<std::uint32_t> number, std::uint32_t base) {
    // A number so large that base + number would wrap falls to the hash rule instead of
    // landing on a small uid that belongs to another account.
    if (!number || *number > std::numeric_limits<std::uint32_t>::max() - base) {
        return std::nullopt;
    }
    return base + *number;
}

std::string_view account_label(const accounts::Account& account) {
    return account.email ? std::string_view(*account.email) : std::string_view(account.id);
}

TrayIconSpec placeholder(const localization::StringTable& strings, const panel::PanelPalette& palette) {
    TrayIconSpec spec;
    spec.tooltip = localization::cut_to_utf16_units(strings.app_title);
    spec.uid = PLACEHOLDER_UID;
    spec.colour = palette.claude_accent;
    return spec;
}

}  // namespace

std::uint32_t tray_uid(std::string_view account_id) noexcept {
    if (const auto uid = offset_uid(numbered(account_id, "claude-"), 4096)) {
        return *uid;
    }
    if (const auto uid = offset_uid(numbered(account_id, "codex-"), 8192)) {
        return *uid;
    }
    std::uint16_t h = 0;
    for (const char c : account_id) {
        h = static_cast<std::uint16_t>(h * 31u + static_cast<unsigned char>(c));
    }
    return (h & 0x0FFFu) | 0x3000u;
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
    std::vector<TrayIconSpec> specs;
    for (const auto& account : tray_account_selection(input.accounts, input.tray_accounts)) {
        const bool is_codex = account.provider == accounts::Provider::Codex;
        const std::string_view provider = is_codex ? strings.provider_codex : strings.provider_claude_code;
        TrayIconSpec spec;
        spec.is_codex = is_codex;
        spec.colour = is_codex ? palette.codex_accent : palette.claude_accent;
        spec.uid = tray_uid(account.id);
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

std::vector<TrayAction> tray_actions(const std::vector<TrayIconSpec>& specs,
                                     const std::vector<std::uint32_t>& previous_uids) {
    std::vector<TrayAction> actions;
    for (std::size_t i = 0; i < specs.size(); ++i) {
        actions.push_back({TrayAction::Kind::AddOrModify, specs[i].uid, i});
    }
    for (const std::uint32_t uid : previous_uids) {
        const bool kept =
            std::any_of(specs.begin(), specs.end(), [uid](const auto& s) { return s.uid == uid; });
        if (!kept) {
            actions.push_back({TrayAction::Kind::Delete, uid, 0});
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

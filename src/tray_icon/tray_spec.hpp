#pragma once
// What each notification-area icon shows: which accounts get one, their identifiers towards the
// shell, bars, colours and tooltips, and how a new set is reconciled with the icons that exist.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "accounts/account.hpp"
#include "localization/language.hpp"
#include "localization/value_format.hpp"
#include "panel/palette.hpp"
#include "poller/usage_model.hpp"
#include "settings/settings_file.hpp"
#include "state/rect.hpp"

namespace tray_icon {

// The one icon shown when no account has a tray icon.
inline constexpr std::uint32_t PLACEHOLDER_UID = 65535;

// The uids of the ids the program creates itself: "claude-N" → 4096 + N and "codex-N" → 8192 + N,
// N in 0-4095 written without leading zeros or a sign, so the two blocks never meet.
inline constexpr std::uint32_t CLAUDE_UID_BASE = 4096;
inline constexpr std::uint32_t CODEX_UID_BASE = 8192;
inline constexpr std::uint32_t NUMBERED_UID_COUNT = 4096;
// Every other id gets a uid in this block, which neither the numbered ids nor the placeholder reach.
inline constexpr std::uint32_t OTHER_UID_BASE = 0x10000;
inline constexpr std::uint32_t OTHER_UID_COUNT = 0x10000;

// The numbered uid of an id the program creates; nothing for any other id.
[[nodiscard]] std::optional<std::uint32_t> numbered_tray_uid(std::string_view account_id) noexcept;

// One uid per id, in order, no two alike: numbered ids keep their numbered uid; any other id (and a
// numbered id listed again) gets one in the other block from a hash of the id, moved on to the next
// free one when an earlier icon holds it.
[[nodiscard]] std::vector<std::uint32_t> tray_uids(const std::vector<std::string_view>& account_ids);

// The accounts that get an icon, in account order: all of them when `tray_accounts` is absent,
// else those whose id is listed.
[[nodiscard]] std::vector<accounts::Account> tray_account_selection(
    const std::vector<accounts::Account>& accounts,
    const std::optional<std::vector<std::string>>& tray_accounts);

struct TrayIconSpec {
    bool has_usage = false;
    double primary = 0.0;  // percent: 5-hour for Both and FiveHour, 7-day for SevenDay
    bool two_bars = false;
    double secondary = 0.0;  // percent: 7-day when two_bars
    std::string tooltip;     // already cut to what the shell holds
    std::uint32_t uid = 0;
    bool is_codex = false;
    panel::Rgb colour;

    friend bool operator==(const TrayIconSpec&, const TrayIconSpec&) = default;
};

// What the synchronisation copies from the application state.
struct TrayInput {
    std::vector<accounts::Account> accounts;
    std::optional<std::vector<std::string>> tray_accounts;
    std::vector<poller::UsageSnapshot> usage;
    settings::TrayMetric tray_metric = settings::TrayMetric::Both;
    settings::PanelTheme panel_theme = settings::PanelTheme::HybridDark;
    localization::Language language = localization::Language::English;
    bool show_remaining = false;  // gauges fill, and tooltips say, the share left
};

// One spec per tray account, or the placeholder when there is none.
[[nodiscard]] std::vector<TrayIconSpec> build_tray_specs(
    const TrayInput& input, platform::FileTime now,
    localization::LocalTimeConversion to_local = platform::to_local_time);

// The specs when the application state does not exist yet: the placeholder alone.
[[nodiscard]] std::vector<TrayIconSpec> placeholder_specs(localization::Language language,
                                                          settings::PanelTheme theme);

struct TrayAction {
    enum class Kind { AddOrModify, Tooltip, Delete };
    Kind kind = Kind::AddOrModify;
    std::uint32_t uid = 0;
    std::size_t spec = 0;  // index into the specs, for AddOrModify and Tooltip

    friend constexpr bool operator==(const TrayAction&, const TrayAction&) = default;
};

// Whether two specs draw the same icon (the tooltip aside).
[[nodiscard]] bool same_picture(const TrayIconSpec& a, const TrayIconSpec& b) noexcept;

// What the shell is told so that it shows `specs` where it showed `shown`, in spec order: add-or-modify
// for a spec it lacks or whose picture changed, the tooltip alone when only that changed, nothing for
// an unchanged one; then a delete for every shown uid no spec has.
[[nodiscard]] std::vector<TrayAction> tray_actions(const std::vector<TrayIconSpec>& specs,
                                                   const std::vector<TrayIconSpec>& shown);

inline constexpr std::int32_t TRAY_ICON_SIZE = 64;
inline constexpr panel::Rgb TRAY_TRACK_COLOUR{0x4A, 0x4A, 0x4A};

struct TrayBar {
    state::Rect track;
    std::int32_t fill_width = 0;  // from the track's left edge; 0 draws no fill

    friend constexpr bool operator==(const TrayBar&, const TrayBar&) = default;
};

// Width of a bar's fill in the 64-pixel icon: round(clamp(value / 100, 0, 1) × 64).
[[nodiscard]] std::int32_t tray_fill_width(double percent) noexcept;

// The bars of an icon: none without usage, one full-height bar, or two 30-pixel bars 4 apart.
[[nodiscard]] std::vector<TrayBar> tray_bars(const TrayIconSpec& spec);

}  // namespace tray_icon

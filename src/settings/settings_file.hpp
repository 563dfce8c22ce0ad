#pragma once
// What the settings file holds: the user's choices and the account list.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "accounts/account.hpp"

namespace settings {

// Enumerations in the order of their indexes in the application state.
enum class PanelTheme { MacVibrancy, Win11Fluent, HybridDark, HybridLight };
enum class TrayMetric { Both, FiveHour, SevenDay };
enum class TrayCorner { TopLeft, TopRight, BottomLeft, BottomRight };
enum class PanelLayout { Columns, Vertical, Horizontal };

inline constexpr std::uint32_t DEFAULT_POLL_INTERVAL_MS = 60000;

// The near-limit notice share: 0 turns it off, else a whole percentage in this range.
inline constexpr std::uint8_t DEFAULT_NOTIFY_NEAR_LIMIT = 90;
inline constexpr std::uint8_t NOTIFY_NEAR_LIMIT_MIN = 50;
inline constexpr std::uint8_t NOTIFY_NEAR_LIMIT_MAX = 100;

// The language codes the program writes, in the order of the language indexes 0-9.
inline constexpr std::array<std::string_view, 10> LANGUAGE_CODES = {"en", "nl", "es",    "fr", "de",
                                                                    "ja", "ko", "zh-TW", "ru", "pt-BR"};

struct SettingsFile {
    std::int32_t tray_offset = 0;
    std::uint32_t poll_interval_ms = DEFAULT_POLL_INTERVAL_MS;
    std::optional<std::string> language;  // absent: follow the system
    bool widget_visible = true;
    PanelTheme panel_theme = PanelTheme::HybridDark;
    TrayMetric tray_metric = TrayMetric::Both;
    bool panel_on_tray_hover = true;
    bool panel_on_corner_hover = false;
    bool pinned = false;
    std::optional<std::string> display_mode;  // older form of the hover switches; read, never written
    TrayCorner hot_corner = TrayCorner::TopLeft;
    PanelLayout panel_layout = PanelLayout::Columns;
    std::optional<std::vector<std::string>> tray_accounts;  // absent: the default tray selection
    std::vector<accounts::Account> accounts;
    std::uint8_t notify_near_limit = DEFAULT_NOTIFY_NEAR_LIMIT;
    bool notify_reset = true;
    bool show_pace = false;
    bool show_remaining = false;

    friend bool operator==(const SettingsFile&, const SettingsFile&) = default;
};

// JSON spellings ("hybrid-dark", "5h", "top-left", "columns") and their exact reverse.
[[nodiscard]] std::string_view json_name(PanelTheme value) noexcept;
[[nodiscard]] std::string_view json_name(TrayMetric value) noexcept;
[[nodiscard]] std::string_view json_name(TrayCorner value) noexcept;
[[nodiscard]] std::string_view json_name(PanelLayout value) noexcept;
[[nodiscard]] std::optional<PanelTheme> panel_theme_from_json(std::string_view name) noexcept;
[[nodiscard]] std::optional<TrayMetric> tray_metric_from_json(std::string_view name) noexcept;
[[nodiscard]] std::optional<TrayCorner> tray_corner_from_json(std::string_view name) noexcept;
[[nodiscard]] std::optional<PanelLayout> panel_layout_from_json(std::string_view name) noexcept;

}  // namespace settings

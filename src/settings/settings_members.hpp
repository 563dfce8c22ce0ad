#pragma once
// The members of the settings file in declaration order, shared by the reader and the writer.

#include <array>
#include <string_view>

namespace settings {

inline constexpr std::array<std::string_view, 18> SETTINGS_MEMBERS = {
    "tray_offset", "poll_interval_ms",      "language", "widget_visible", "panel_theme",
    "tray_metric", "panel_on_tray_hover",   "panel_on_corner_hover",      "pinned",
    "display_mode", "hot_corner",           "panel_layout", "tray_accounts", "accounts",
    "notify_near_limit", "notify_reset", "show_pace",  "show_remaining",
};

}  // namespace settings

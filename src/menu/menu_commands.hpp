#pragma once
// The context menu's command identifiers, as the main window receives them in WM_COMMAND.
// All are above 0: TrackPopupMenu returns 0 for a dismissed menu.

#include <cstddef>
#include <cstdint>

namespace menu {

inline constexpr std::uint32_t CMD_EXIT = 2;
inline constexpr std::uint32_t CMD_START_WITH_WINDOWS = 20;
inline constexpr std::uint32_t CMD_ADD_CLAUDE = 70;
inline constexpr std::uint32_t CMD_ADD_CODEX = 71;
inline constexpr std::uint32_t CMD_THEME_BASE = 80;        // + PanelTheme index (80-83)
inline constexpr std::uint32_t CMD_TRAY_METRIC_BASE = 90;  // + TrayMetric index (90-92)
inline constexpr std::uint32_t CMD_TRAY_HOVER = 110;
inline constexpr std::uint32_t CMD_CORNER_HOVER = 111;
inline constexpr std::uint32_t CMD_HOT_CORNER_BASE = 120;    // + TrayCorner index (120-123)
inline constexpr std::uint32_t CMD_LAYOUT_BASE = 130;        // + PanelLayout index (130-132)
inline constexpr std::uint32_t CMD_NOTIFICATIONS = 140;
inline constexpr std::uint32_t CMD_SHOW_PACE = 141;
inline constexpr std::uint32_t CMD_SHOW_REMAINING = 142;
inline constexpr std::uint32_t CMD_RELOGIN_BASE = 200;       // + account index (200-263)
inline constexpr std::uint32_t CMD_REMOVE_BASE = 300;        // + account index (300-363)
inline constexpr std::uint32_t CMD_TRAY_ACCOUNT_BASE = 400;  // + account index (400-463)

// The three account ranges address at most this many accounts.
inline constexpr std::size_t MAX_MENU_ACCOUNTS = 64;

}  // namespace menu

#pragma once
// The context menu on screen: the menu model turned into Win32 popup menus, tracked at the
// cursor, its command posted to the owner window as WM_COMMAND.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "menu/context_menu.hpp"
#include "native_interop/gdi_owners_win32.hpp"
#include "platform/windows_win32.hpp"

namespace menu {

// How long after the menu closes hover may not open the panel.
inline constexpr std::uint32_t SHOW_SUPPRESSION_MS = 600;

using CreatePopup = HMENU(WINAPI*)();

// The entries as a popup menu tree: texts ('&' shown as itself), identifiers, check marks. A
// submenu that cannot be created or appended is left out; when the root cannot be created the
// result is empty. Submenus belong to the root, which destroys them with itself.
[[nodiscard]] native_interop::Menu build_popup_menu(const std::vector<MenuEntry>& entries,
                                                    CreatePopup create = CreatePopupMenu) noexcept;

// The window's own hide_panel.
using HidePanel = void (*)(HWND) noexcept;

// Builds the menu from the state, shows it at the cursor and returns once it has closed; the
// chosen command arrives at `owner` as WM_COMMAND. Opened from a tray icon (`from_panel` false)
// while the panel is not pinned, it first hides the panel through `hide_panel` (the window's;
// null skips it). While the menu tracks, `menu_open` is set; when it closes, hover may not show
// the panel for SHOW_SUPPRESSION_MS. Called again while a menu is open, it does nothing.
void show_context_menu(HWND owner, bool from_panel, HidePanel hide_panel) noexcept;

// The account the command `id` of the last menu shown was built for: empty when that menu had no
// such entry, nothing when no menu was shown yet. The window's thread only.
[[nodiscard]] std::optional<std::string> shown_menu_account(std::uint32_t id);

}  // namespace menu

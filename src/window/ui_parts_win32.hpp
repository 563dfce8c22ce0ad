#pragma once
// The drawing, placing, tray, menu and registry calls the window procedure performs, in one
// place so each handler reads as the list of what follows an event.

#include <cstddef>

#include "platform/windows_win32.hpp"

namespace window {

// Redraws the panel from the state (nothing without one).
void render() noexcept;
// Places the panel for its anchor; only meaningful while it is visible.
void place_panel() noexcept;
void place_panel_if_visible(HWND hwnd) noexcept;
[[nodiscard]] bool pointer_in_hot_corner() noexcept;
// Reconciles the notification-area icons with the state.
void sync_tray(HWND hwnd) noexcept;
// Removes every icon the last synchronisation registered; how many the shell still had.
std::size_t remove_tray_icons(HWND hwnd) noexcept;
// The shell restarted without our icons: the next synchronisation adds them all.
void forget_tray_icons() noexcept;
// The context menu at the pointer; returns when it has closed.
void open_context_menu(HWND hwnd, bool from_panel) noexcept;
void toggle_autostart() noexcept;
// Reads the system theme; when it changed, stores it and redraws.
void refresh_theme() noexcept;
[[nodiscard]] bool system_prefers_dark() noexcept;
// The window's DPI, when it has one, becomes the system DPI.
void refresh_dpi_from_window(HWND hwnd) noexcept;

}  // namespace window

// The drawing, placing, tray, menu and registry calls, forwarded to the modules that own them.
#include "window/ui_parts_win32.hpp"

#include "diagnostics/log.hpp"
#include "menu/context_menu_win32.hpp"
#include "native_interop/system_settings_win32.hpp"
#include "panel/panel_position_win32.hpp"
#include "panel/panel_render_win32.hpp"
#include "state/dpi.hpp"
#include "tray_icon/tray_sync_win32.hpp"
#include "window/panel_visibility_win32.hpp"

namespace window {

void render() noexcept {
    panel::render_panel();
}

void place_panel() noexcept {
    panel::position_panel();
}

void place_panel_if_visible(HWND hwnd) noexcept {
    if (IsWindowVisible(hwnd)) {
        panel::position_panel();
    }
}

bool pointer_in_hot_corner() noexcept {
    return panel::cursor_in_hot_corner();
}

void sync_tray(HWND hwnd) noexcept {
    tray_icon::sync_tray_icons(hwnd);
}

std::size_t remove_tray_icons(HWND hwnd) noexcept {
    return tray_icon::delete_all_tray_icons(hwnd);
}

void forget_tray_icons() noexcept {
    tray_icon::forget_tray_icons();
}

void open_context_menu(HWND hwnd, bool from_panel) noexcept {
    menu::show_context_menu(hwnd, from_panel, hide_panel);
}

void toggle_autostart() noexcept {
    native_interop::toggle_autostart();
}

void refresh_theme() noexcept {
    if (native_interop::refresh_system_theme()) {
        diagnostics::log_line(native_interop::system_prefers_dark() ? "system theme now dark"
                                                                    : "system theme now light");
        render();
    }
}

bool system_prefers_dark() noexcept {
    return native_interop::system_prefers_dark();
}

void refresh_dpi_from_window(HWND hwnd) noexcept {
    if (const UINT dpi = GetDpiForWindow(hwnd); dpi != 0) {
        state::system_dpi().store(dpi);
    }
}

}  // namespace window

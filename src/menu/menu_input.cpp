#include "menu/menu_input.hpp"

#include "menu/menu_command.hpp"

namespace menu {

MenuInput menu_input(const state::AppState& state, bool autostart) {
    MenuInput input;
    input.language = localization::drawn_language(state.effective_language);
    input.panel_theme = state.panel_theme;
    input.tray_metric = state.tray_metric;
    input.hot_corner = state.hot_corner;
    input.panel_layout = state.panel_layout;
    input.panel_on_tray_hover = state.panel_on_tray_hover;
    input.panel_on_corner_hover = state.panel_on_corner_hover;
    input.autostart = autostart;
    input.notifications = notifications_on(state);
    input.show_pace = state.show_pace;
    input.show_remaining = state.show_remaining;
    input.accounts = state.accounts;
    input.tray_accounts = state.tray_accounts;
    return input;
}

}  // namespace menu

#include "tray_icon/tray_input.hpp"

namespace tray_icon {

TrayInput tray_input(const state::AppState& state) {
    TrayInput input;
    input.accounts = state.accounts;
    input.tray_accounts = state.tray_accounts;
    if (state.usage) {
        input.usage = *state.usage;
    }
    input.tray_metric = state.tray_metric;
    input.panel_theme = state.panel_theme;
    input.language = localization::drawn_language(state.effective_language);
    return input;
}

}  // namespace tray_icon

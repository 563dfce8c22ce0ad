#include "tray_icon/tray_input.hpp"

#include <fmt/format.h>

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
    input.show_remaining = state.show_remaining;
    return input;
}

std::string tray_sync_message(const std::vector<TrayIconSpec>& specs) {
    std::string uids;
    for (const TrayIconSpec& spec : specs) {
        if (!uids.empty()) {
            uids += ", ";
        }
        uids += std::to_string(spec.uid);
    }
    return fmt::format("tray sync: {} icons, uids=[{}]", specs.size(), uids);
}

}  // namespace tray_icon

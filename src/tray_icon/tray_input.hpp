#pragma once
// The tray synchronisation's input copied from the application state.

#include "state/app_state.hpp"
#include "tray_icon/tray_spec.hpp"

namespace tray_icon {

// Accounts, selection, usage (empty before the first poll), metric, theme and the language texts
// are drawn in.
[[nodiscard]] TrayInput tray_input(const state::AppState& state);

}  // namespace tray_icon

namespace tray_icon {

// "tray sync: {count} icons, uids=[4097, 8193]"
[[nodiscard]] std::string tray_sync_message(const std::vector<TrayIconSpec>& specs);

}  // namespace tray_icon

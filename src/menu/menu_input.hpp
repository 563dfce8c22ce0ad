#pragma once
// The menu's input copied from the application state when the menu opens.

#include "menu/context_menu.hpp"
#include "state/app_state.hpp"

namespace menu {

// Texts in the effective language; `autostart` is read from the registry by the caller, outside
// the state lock.
[[nodiscard]] MenuInput menu_input(const state::AppState& state, bool autostart);

}  // namespace menu

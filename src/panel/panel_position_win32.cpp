// The panel's placement and hot-corner test wired to the window system and the process's state.

#include "panel/panel_position_win32.hpp"

#include "panel/display_system_win32.hpp"
#include "panel/placement.hpp"
#include "panel/state_panel_size.hpp"
#include "state/dpi.hpp"

namespace panel {

void position_panel() noexcept {
    try {
        (void)position_panel(windows_display_system(), state::app_state(), state::system_dpi(),
                             [](std::uint32_t dpi) { return panel_size(dpi); });
    } catch (...) {
        // Out of memory while formatting or copying: the panel stays where it was.
    }
}

bool cursor_in_hot_corner() noexcept {
    try {
        return cursor_in_hot_corner(windows_display_system(), state::app_state(), state::system_dpi().load());
    } catch (...) {
        return false;
    }
}

}  // namespace panel

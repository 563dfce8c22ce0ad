// The panel's placement and hot-corner test wired to the window system and the process's state.

#include "panel/panel_position_win32.hpp"

#include "panel/display_system_win32.hpp"
#include "panel/label_width_win32.hpp"
#include "panel/placement.hpp"
#include "panel/state_panel_size.hpp"
#include "state/dpi.hpp"

namespace panel {

void position_panel() noexcept {
    try {
        (void)position_panel(windows_display_system(), state::app_state(), state::system_dpi(),
                             [](std::uint32_t dpi, const std::optional<Size>& area) {
                                 return panel_size(dpi, area, widest_label);
                             });
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

std::optional<state::Rect> cursor_work_area() noexcept {
    try {
        return cursor_work_area(windows_display_system());
    } catch (...) {
        return std::nullopt;
    }
}

}  // namespace panel

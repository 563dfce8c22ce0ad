#pragma once
// Placing the panel: which monitor it belongs to, the DPI it is drawn at there, its size at that
// DPI and where it goes, decided over the window system's calls and then carried out.

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "panel/display_system.hpp"
#include "panel/layout.hpp"
#include "settings/settings_file.hpp"
#include "state/app_state.hpp"
#include "state/rect.hpp"

namespace panel {

// What placing copies from the application state.
struct PlacementInput {
    state::WindowHandle hwnd = 0;
    std::optional<state::WindowHandle> taskbar;
    std::optional<state::Rect> corner_monitor;
    state::PanelAnchor anchor = state::PanelAnchor::Tray;
    settings::TrayCorner hot_corner = settings::TrayCorner::TopLeft;
};

struct PanelPlacement {
    std::uint32_t dpi = 0;  // the DPI the size was computed at
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::optional<state::Rect> work;  // the work area it was kept inside, if one was known
    std::string log_line;             // the diagnostic line describing the choice
};

// The panel's size at a DPI (the state's layout and rows in the program).
using PanelSizeAt = std::function<Size(std::uint32_t dpi)>;

// Chooses the monitor, switches to its DPI when it has one, sizes the panel at that DPI and places
// it. `dpi` is the DPI in force before the monitor is asked.
[[nodiscard]] PanelPlacement plan_placement(const PlacementInput& input, std::uint32_t dpi,
                                            DisplaySystem& displays, const PanelSizeAt& size_at);

// The whole of placing: copies the input under the state lock, refreshes `system_dpi` from the
// window and then from the monitor, writes the diagnostic line and moves the window. Nothing
// happens (and nothing is returned) while the state does not exist.
std::optional<PanelPlacement> position_panel(DisplaySystem& displays, state::StateSlot& slot,
                                             std::atomic<std::uint32_t>& system_dpi,
                                             const PanelSizeAt& size_at);

// Whether the cursor is in the hot corner (TopLeft when the state does not exist) of the monitor it
// is on; false when the cursor or its monitor cannot be read.
[[nodiscard]] bool cursor_in_hot_corner(DisplaySystem& displays, state::StateSlot& slot, std::uint32_t dpi);

}  // namespace panel

#pragma once
// Placing the panel window and the hot-corner test, on the real monitors. Both read what they
// need from the application state themselves.

#include <optional>

#include "state/rect.hpp"

namespace panel {

// Refreshes the DPI from the window and its monitor, sizes the panel for it and that monitor's work
// area, and moves the window (topmost, not activated) next to the notification area or into the
// hot corner it was opened from. The frames that follow are drawn for the same DPI and area.
void position_panel() noexcept;

// Whether the cursor is in the configured hot corner of the monitor it is on.
[[nodiscard]] bool cursor_in_hot_corner() noexcept;

// The work area of the monitor under the cursor; nothing when it cannot be read.
[[nodiscard]] std::optional<state::Rect> cursor_work_area() noexcept;

}  // namespace panel

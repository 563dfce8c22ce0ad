#pragma once
// Placing the panel window and the hot-corner test, on the real monitors. Both read what they
// need from the application state themselves.

namespace panel {

// Refreshes the DPI from the window and its monitor, sizes the panel for it and moves the window
// (topmost, not activated) to the tray corner or the hot corner it was opened from.
void position_panel() noexcept;

// Whether the cursor is in the configured hot corner of the monitor it is on.
[[nodiscard]] bool cursor_in_hot_corner() noexcept;

}  // namespace panel

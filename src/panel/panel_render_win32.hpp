#pragma once
// The panel on screen: the window procedure's redraw, and presenting a drawn frame.

#include "panel/dib_frame_win32.hpp"
#include "platform/windows_win32.hpp"

namespace panel {

// Redraws the panel window (the state's `hwnd`) from what the application state holds now: the
// DPI is refreshed from the window, the inputs are copied under the state lock, which is released
// before anything is drawn. Without a state nothing is drawn. Frames themselves are drawn by
// draw_panel_frame (panel_frame_win32.hpp).
void render_panel() noexcept;

// Hands a frame to the layered window (UpdateLayeredWindow, per-pixel alpha). When a visible
// window changed size, logs it and calls `replace` to place the panel again at its new size.
void present_frame(HWND hwnd, const DibFrame& frame, void (*replace)()) noexcept;

}  // namespace panel

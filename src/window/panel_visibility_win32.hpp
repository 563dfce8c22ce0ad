#pragma once
// Showing, hiding and keeping the panel on top: the hover and hot-corner triggers, the auto-hide
// and topmost watchdog, and the pin.

#include <optional>

#include "platform/windows_win32.hpp"
#include "state/app_state.hpp"
#include "state/rect.hpp"

namespace window {

// Shows a hidden panel at the trigger's anchor, or moves a visible unpinned one to it.
void show_panel(HWND hwnd, state::PanelAnchor trigger) noexcept;
void hide_panel(HWND hwnd) noexcept;

enum class Reposition { No, Yes };
// Brings a pinned panel back to the top of the topmost band; nothing when not pinned.
void reassert_pinned_topmost(HWND hwnd, Reposition reposition) noexcept;

struct CoveringWindow {
    HWND hwnd = nullptr;
    state::Rect rect;
};
// The first visible, not minimised window above the panel in Z-order that overlaps it. Allocates
// nothing: the pinned panel's watchdog asks every 200 ms.
[[nodiscard]] std::optional<CoveringWindow> find_covering_window(HWND hwnd) noexcept;

// Timer handlers and the click on the panel.
void on_autohide_timer(HWND hwnd) noexcept;
void on_corner_hover_timer(HWND hwnd) noexcept;
void on_pin_animation_timer(HWND hwnd) noexcept;
void on_left_button_down(HWND hwnd, LPARAM lparam) noexcept;

}  // namespace window

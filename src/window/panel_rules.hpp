#pragma once
// When the panel shows, re-anchors, stays or hides, what counts as covering it and whether a
// click hits the pin: plain decisions over numbers that the window feeds from Win32 calls.

#include <atomic>
#include <cstdint>
#include <optional>

#include "panel/pin.hpp"
#include "platform/clock.hpp"
#include "state/app_state.hpp"
#include "state/rect.hpp"
#include "state/ui_values.hpp"

namespace window {

using Point = state::Point;

// A show request does nothing while the context menu is open or before the suppression instant
// that the menu leaves behind when it closes.
[[nodiscard]] bool show_blocked(bool menu_open, const std::optional<platform::FileTime>& suppressed_until,
                                platform::FileTime now) noexcept;

enum class ShowAction { Nothing, Show, Reanchor };

// A hidden panel shows; a visible pinned one stays where it is; a visible unpinned one moves
// only when the trigger is the other anchor.
[[nodiscard]] ShowAction show_action(bool visible, bool pinned, state::PanelAnchor previous,
                                     state::PanelAnchor trigger) noexcept;

// What one auto-hide tick sees. `taskbar` is the taskbar's rectangle when it is known and could
// be read; `in_hot_corner` matters only for a corner-anchored panel.
struct AutohideInput {
    bool pinned = false;
    bool menu_open = false;
    std::optional<Point> pointer;
    std::optional<state::Rect> panel;
    state::PanelAnchor anchor = state::PanelAnchor::Tray;
    std::optional<state::Rect> taskbar;
    bool in_hot_corner = false;
    std::int32_t margin = 10;  // the auto-hide margin, already scaled
};

// Whether the tick keeps the panel: always while pinned, while the menu is open or when the
// pointer or the panel cannot be read; otherwise when the pointer is near the panel (for a tray
// panel, anywhere between it and the taskbar's far edges).
[[nodiscard]] bool autohide_keeps(const AutohideInput& input) noexcept;

// Counts the tick: a keep clears the misses; the third miss in a row clears them and returns
// true (hide now).
[[nodiscard]] bool count_autohide_tick(std::atomic<std::uint32_t>& misses, bool keep) noexcept;

// max(lefts) < min(rights) and max(tops) < min(bottoms).
[[nodiscard]] constexpr bool rects_overlap(const state::Rect& a, const state::Rect& b) noexcept {
    const std::int32_t left = a.left > b.left ? a.left : b.left;
    const std::int32_t right = a.right < b.right ? a.right : b.right;
    const std::int32_t top = a.top > b.top ? a.top : b.top;
    const std::int32_t bottom = a.bottom < b.bottom ? a.bottom : b.bottom;
    return left < right && top < bottom;
}

// Whether the panel's rectangle can be tested for cover at all.
[[nodiscard]] constexpr bool rect_empty(const state::Rect& r) noexcept {
    return r.right <= r.left || r.bottom <= r.top;
}

// Whether a window above the panel in Z-order covers it: visible, not minimised, with a readable
// rectangle that overlaps the panel. No window class is exempt.
[[nodiscard]] bool covers_panel(const state::Rect& panel, bool visible, bool minimised,
                                const std::optional<state::Rect>& window) noexcept;

enum class CornerHoverAction {
    Nothing,
    ReraiseIfCovered,  // pinned and visible: re-raise only when a window covers it
    ShowAtCorner,      // store the monitor's work area, then show with the Corner trigger
};

// One tick of the hot-corner timer.
[[nodiscard]] CornerHoverAction corner_hover_action(bool pinned, bool visible, bool corner_hover_enabled,
                                                    bool pointer_in_corner) noexcept;

// The client point of a mouse message: the signed 16-bit low and high words of lParam.
[[nodiscard]] constexpr Point point_from_lparam(std::uint64_t lparam) noexcept {
    return {static_cast<std::int16_t>(lparam & 0xFFFF), static_cast<std::int16_t>((lparam >> 16) & 0xFFFF)};
}

// Left and top edges hit, right and bottom edges do not; no rectangle, no hit.
[[nodiscard]] bool pin_hit(const std::optional<state::Rect>& pin_rect, Point point) noexcept;

// Flips `pinned` and returns the new value; without a state the value is false and nothing is
// stored.
[[nodiscard]] bool toggle_pinned(state::AppState* state) noexcept;

// The animation's progress now; nothing when there is none, when it has run its length (380 ms
// pinning, 210 ms unpinning) or when the clock has stepped back before its start. Nothing means
// the animation is over: clear it, stop its timer and draw the pin at rest.
[[nodiscard]] std::optional<panel::PinProgress> pin_animation_progress(
    const std::optional<state::PinAnimation>& animation, platform::FileTime now) noexcept;

}  // namespace window

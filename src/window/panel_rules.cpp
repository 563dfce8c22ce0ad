#include "window/panel_rules.hpp"

#include <algorithm>

namespace window {
namespace {

// Inclusive bounds, widened in 64 bits so a margin never wraps at the screen's far edges.
bool within(std::int32_t value, std::int64_t low, std::int64_t high) noexcept {
    return value >= low && value <= high;
}

}  // namespace

bool show_blocked(bool menu_open, const std::optional<platform::FileTime>& suppressed_until,
                  platform::FileTime now) noexcept {
    return menu_open || (suppressed_until && now < *suppressed_until);
}

ShowAction show_action(bool visible, bool pinned, state::PanelAnchor previous,
                       state::PanelAnchor trigger) noexcept {
    if (!visible) {
        return ShowAction::Show;
    }
    if (pinned || trigger == previous) {
        return ShowAction::Nothing;
    }
    return ShowAction::Reanchor;
}

bool autohide_keeps(const AutohideInput& input) noexcept {
    if (input.pinned || input.menu_open || !input.pointer || !input.panel) {
        return true;
    }
    const Point p = *input.pointer;
    const state::Rect& r = *input.panel;
    const std::int64_t m = input.margin;
    if (input.anchor == state::PanelAnchor::Corner) {
        return (within(p.x, r.left - m, r.right + m) && within(p.y, r.top - m, r.bottom + m)) ||
               input.in_hot_corner;
    }
    if (input.taskbar) {
        // The kept area reaches from the panel to the taskbar's right and bottom edges, so moving
        // from a tray icon up to the panel never counts as leaving. It always includes the panel
        // itself, wherever the taskbar is docked: a panel never hides under the pointer.
        const state::Rect& t = *input.taskbar;
        return within(p.x, r.left - m, std::max<std::int64_t>(r.right + m, t.right + m)) &&
               within(p.y, r.top - m, std::max<std::int64_t>(r.bottom + m, t.bottom));
    }
    return within(p.x, r.left - m, r.right + 2 * m) && within(p.y, r.top - m, r.bottom + m);
}

bool count_autohide_tick(std::atomic<std::uint32_t>& misses, bool keep) noexcept {
    if (keep) {
        misses.store(0);
        return false;
    }
    if (misses.fetch_add(1) >= 2) {
        misses.store(0);
        return true;
    }
    return false;
}

bool covers_panel(const state::Rect& panel, bool visible, bool minimised,
                  const std::optional<state::Rect>& window) noexcept {
    return visible && !minimised && window && rects_overlap(panel, *window);
}

CornerHoverAction corner_hover_action(bool pinned, bool visible, bool corner_hover_enabled,
                                      bool pointer_in_corner) noexcept {
    if (pinned && visible) {
        return corner_hover_enabled && pointer_in_corner ? CornerHoverAction::ReraiseIfCovered
                                                         : CornerHoverAction::Nothing;
    }
    return corner_hover_enabled && pointer_in_corner ? CornerHoverAction::ShowAtCorner
                                                     : CornerHoverAction::Nothing;
}

bool pin_hit(const std::optional<state::Rect>& pin_rect, Point point) noexcept {
    return pin_rect && pin_rect->contains(point.x, point.y);
}

bool toggle_pinned(state::AppState* state) noexcept {
    if (state == nullptr) {
        return false;
    }
    state->pinned = !state->pinned;
    return state->pinned;
}

std::optional<panel::PinProgress> pin_animation_progress(const std::optional<state::PinAnimation>& animation,
                                                         platform::FileTime now) noexcept {
    // A clock set back before the start would otherwise hold the pin at its first frame, with the
    // 16-ms timer running, until the clock caught up again.
    if (!animation || now < animation->started) {
        return std::nullopt;
    }
    const std::uint64_t elapsed_ms = (now - animation->started) / platform::FILETIME_TICKS_PER_MILLISECOND;
    return panel::pin_progress(
        elapsed_ms, animation->target_pinned ? panel::PinDirection::Pinning : panel::PinDirection::Unpinning);
}

}  // namespace window

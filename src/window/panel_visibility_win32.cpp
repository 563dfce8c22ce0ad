// The panel's visibility on the real window: Win32 calls fed into the portable rules.
#include "window/panel_visibility_win32.hpp"

#include <fmt/format.h>

#include "diagnostics/log.hpp"
#include "panel/display_system_win32.hpp"
#include "panel/panel_position_win32.hpp"
#include "platform/clock.hpp"
#include "platform/wide_win32.hpp"
#include "state/dpi.hpp"
#include "state/save_settings.hpp"
#include "state/ui_values.hpp"
#include "window/log_forms.hpp"
#include "window/panel_rules.hpp"
#include "window/settings_watch_win32.hpp"
#include "window/ui_parts_win32.hpp"
#include "window/window_messages.hpp"

namespace window {
namespace {

constexpr UINT NO_SIZE_MOVE_ACTIVATE = SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE;  // 0x0013
constexpr std::int64_t AUTOHIDE_MARGIN_DIPS = 10;

std::optional<state::Rect> window_rect(HWND hwnd) noexcept {
    RECT r;
    if (hwnd == nullptr || !GetWindowRect(hwnd, &r)) {
        return std::nullopt;
    }
    return state::Rect{r.left, r.top, r.right, r.bottom};
}

std::optional<Point> pointer() noexcept {
    return panel::windows_display_system().cursor_position();
}

bool has_topmost(HWND hwnd) noexcept {
    return (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

// The taskbar's rectangle as the shell reports it, when the taskbar is known.
std::optional<state::Rect> taskbar_rect(std::optional<state::WindowHandle> taskbar) noexcept {
    if (!taskbar) {
        return std::nullopt;
    }
    const std::optional<panel::Taskbar> bar = panel::windows_display_system().taskbar(*taskbar);
    return bar ? std::optional(bar->rect) : std::nullopt;
}

void watch_topmost(HWND hwnd) {
    auto& ui = state::ui_values();
    const LONG before = GetWindowLongW(hwnd, GWL_EXSTYLE);
    if ((before & WS_EX_TOPMOST) == 0) {
        const bool ok = SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, NO_SIZE_MOVE_ACTIVATE) != 0;
        const DWORD error = GetLastError();
        const LONG after = GetWindowLongW(hwnd, GWL_EXSTYLE);
        if (!ui.topmost_lost_logged.exchange(true)) {
            diagnostics::log_owned(
                fmt::format("panel lost WS_EX_TOPMOST; re-assert ok={} last_error=WIN32_ERROR({}) exstyle "
                            "before=0x{:08x} "
                            "after=0x{:08x} bit_restored={}",
                            ok, error, static_cast<std::uint32_t>(before), static_cast<std::uint32_t>(after),
                            (after & WS_EX_TOPMOST) != 0));
        }
    } else if (ui.topmost_lost_logged.exchange(false)) {
        diagnostics::log_line("panel regained WS_EX_TOPMOST");
    }
}

// Read only for the log line, once per covering episode.
std::string class_name(HWND hwnd) {
    wchar_t name[257] = {};
    const int length = GetClassNameW(hwnd, name, 256);
    return platform::from_wide(std::wstring_view(name, length > 0 ? length : 0)).value_or("");
}

void watch_coverage(HWND hwnd) {
    auto& ui = state::ui_values();
    if (const auto cover = find_covering_window(hwnd)) {
        if (!ui.coverage_logged.exchange(true)) {
            const auto panel = window_rect(hwnd).value_or(state::Rect{});
            diagnostics::log_owned(fmt::format(
                "pinned panel COVERED by hwnd={} class=\"{}\" rect=({},{},{},{}) panel=({},{},{},{})",
                debug_hwnd(cover->hwnd), class_name(cover->hwnd), cover->rect.left, cover->rect.top,
                cover->rect.right, cover->rect.bottom, panel.left, panel.top, panel.right, panel.bottom));
        }
    } else if (ui.coverage_logged.exchange(false)) {
        diagnostics::log_line("pinned panel coverage cleared");
    }
}

}  // namespace

void show_panel(HWND hwnd, state::PanelAnchor trigger) noexcept {
    try {
        auto& ui = state::ui_values();
        if (show_blocked(ui.menu_open, ui.show_suppressed_until.get(), platform::precise_now())) {
            return;
        }
        const bool visible = IsWindowVisible(hwnd) != 0;
        state::PanelAnchor previous = state::PanelAnchor::Tray;
        bool pinned = false;
        {
            auto held = state::app_state().lock();
            if (held) {
                previous = held->anchor;
                pinned = held->pinned;
            }
        }
        const ShowAction action = show_action(visible, pinned, previous, trigger);
        if (action == ShowAction::Nothing) {
            return;
        }
        if (auto held = state::app_state().lock()) {
            held->anchor = trigger;
        }
        if (action == ShowAction::Show) {
            diagnostics::log_owned(fmt::format("show_panel SHOW trigger={}", state::debug_name(trigger)));
            ui.autohide_misses.store(0);
            place_panel();
            render();
            ShowWindow(hwnd, SW_SHOWNOACTIVATE);
            SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, NO_SIZE_MOVE_ACTIVATE);
            SetTimer(hwnd, TIMER_AUTOHIDE, AUTOHIDE_MS, nullptr);
        } else {
            diagnostics::log_owned(fmt::format("show_panel REANCHOR {}->{}", state::debug_name(previous),
                                               state::debug_name(trigger)));
            place_panel();
            render();
        }
    } catch (...) {
    }
}

void hide_panel(HWND hwnd) noexcept {
    try {
        diagnostics::log_owned(fmt::format("hide_panel (pinned={})", state::is_pinned()));
    } catch (...) {
    }
    KillTimer(hwnd, TIMER_AUTOHIDE);
    ShowWindow(hwnd, SW_HIDE);
}

void reassert_pinned_topmost(HWND hwnd, Reposition reposition) noexcept {
    if (!state::is_pinned()) {
        return;
    }
    diagnostics::log_line("reassert_pinned_topmost");
    if (reposition == Reposition::Yes) {
        place_panel();
    }
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    if (!has_topmost(hwnd)) {
        SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, NO_SIZE_MOVE_ACTIVATE);
    }
    SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, NO_SIZE_MOVE_ACTIVATE);
    render();
}

std::optional<CoveringWindow> find_covering_window(HWND hwnd) noexcept {
    const auto panel = window_rect(hwnd);
    if (!panel || rect_empty(*panel)) {
        return std::nullopt;
    }
    for (HWND above = GetWindow(hwnd, GW_HWNDPREV); above != nullptr; above = GetWindow(above, GW_HWNDPREV)) {
        const bool visible = IsWindowVisible(above) != 0;
        const bool minimised = IsIconic(above) != 0;
        if (!covers_panel(*panel, visible, minimised,
                          visible && !minimised ? window_rect(above) : std::nullopt)) {
            continue;
        }
        return CoveringWindow{above, *window_rect(above)};
    }
    return std::nullopt;
}

void on_autohide_timer(HWND hwnd) noexcept {
    try {
        watch_topmost(hwnd);
        AutohideInput input;
        std::optional<state::WindowHandle> taskbar;
        {
            auto held = state::app_state().lock();
            if (held) {
                input.pinned = held->pinned;
                input.anchor = held->anchor;
                taskbar = held->taskbar;
            }
        }
        if (input.pinned) {
            watch_coverage(hwnd);
        }
        auto& ui = state::ui_values();
        input.menu_open = ui.menu_open;
        input.pointer = pointer();
        input.panel = window_rect(hwnd);
        input.margin = state::scale_dip(AUTOHIDE_MARGIN_DIPS, state::system_dpi().load());
        if (!input.pinned && !input.menu_open && input.pointer && input.panel) {
            if (input.anchor == state::PanelAnchor::Tray) {
                input.taskbar = taskbar_rect(taskbar);
            } else {
                input.in_hot_corner = pointer_in_hot_corner();
            }
        }
        if (count_autohide_tick(ui.autohide_misses, autohide_keeps(input))) {
            hide_panel(hwnd);
        }
    } catch (...) {
    }
}

void on_corner_hover_timer(HWND hwnd) noexcept {
    try {
        bool pinned = false;
        bool enabled = false;
        {
            auto held = state::app_state().lock();
            if (held) {
                pinned = held->pinned;
                enabled = held->panel_on_corner_hover;
            }
        }
        if (!enabled) {
            return;  // the common idle tick: nothing read, nothing drawn
        }
        const bool visible = IsWindowVisible(hwnd) != 0;
        switch (corner_hover_action(pinned, visible, enabled, pointer_in_hot_corner())) {
            case CornerHoverAction::Nothing:
                return;
            case CornerHoverAction::ReraiseIfCovered:
                if (find_covering_window(hwnd)) {
                    diagnostics::log_line("corner hover on covered pinned panel; re-raising");
                    reassert_pinned_topmost(hwnd, Reposition::No);
                }
                return;
            case CornerHoverAction::ShowAtCorner: {
                if (const std::optional<state::Rect> work = panel::cursor_work_area()) {
                    if (auto held = state::app_state().lock()) {
                        held->corner_monitor = work;
                    }
                }
                show_panel(hwnd, state::PanelAnchor::Corner);
                return;
            }
        }
    } catch (...) {
    }
}

void on_left_button_down(HWND hwnd, LPARAM lparam) noexcept {
    try {
        const Point at = point_from_lparam(static_cast<std::uint64_t>(lparam));
        auto& ui = state::ui_values();
        const auto pin_rect = ui.pin_rect.get();
        const bool hit = pin_hit(pin_rect, at);
        diagnostics::log_owned(
            fmt::format("WM_LBUTTONDOWN ({},{}) pin_rect={} hit={}", at.x, at.y, debug_rect(pin_rect), hit));
        if (!hit) {
            return;
        }
        bool pinned = false;
        {
            auto held = state::app_state().lock();
            pinned = toggle_pinned(held.state());
        }
        (void)state::save_settings();
        follow_settings(hwnd);
        diagnostics::log_owned(fmt::format("pin toggled -> pinned={}", pinned));
        ui.pin_animation.set(state::PinAnimation{platform::precise_now(), pinned});
        SetTimer(hwnd, TIMER_PIN_ANIMATION, PIN_ANIMATION_MS, nullptr);
        render();
    } catch (...) {
    }
}

void on_pin_animation_timer(HWND hwnd) noexcept {
    try {
        auto& ui = state::ui_values();
        if (!pin_animation_progress(ui.pin_animation.get(), platform::precise_now())) {
            ui.pin_animation.set(std::nullopt);
            KillTimer(hwnd, TIMER_PIN_ANIMATION);
        }
        render();
    } catch (...) {
    }
}

}  // namespace window

// The main window's procedure: dispatch to named handlers; nothing throws into user32.
#include "window/window_procedure_win32.hpp"

#include <fmt/format.h>

#include "diagnostics/log.hpp"
#include "localization/language.hpp"
#include "localization/string_table.hpp"
#include "menu/context_menu_win32.hpp"
#include "menu/menu_command.hpp"
#include "platform/clock.hpp"
#include "platform/wide_win32.hpp"
#include "settings/settings_path.hpp"
#include "state/dpi.hpp"
#include "state/save_settings.hpp"
#include "state/ui_values.hpp"
#include "window/background_work_win32.hpp"
#include "window/countdown_schedule.hpp"
#include "window/notices_win32.hpp"
#include "window/panel_visibility_win32.hpp"
#include "window/repoll_plan.hpp"
#include "window/settings_watch_win32.hpp"
#include "window/ui_parts_win32.hpp"
#include "window/window_messages.hpp"

namespace window {
namespace {

constexpr std::int64_t RESIZE_EDGE_DIPS = 13;
const std::vector<poller::UsageSnapshot> NO_USAGE;

// The countdown texts last drawn by a timer tick; a tick that would draw the same skips drawing.
std::uint64_t last_countdown_key = 0;
// Re-polls after a passed reset; the window's thread alone uses it.
RepollPlan repoll_plan;

void apply_repoll(HWND hwnd, const RepollTimer& timer) noexcept {
    if (timer.stop) {
        KillTimer(hwnd, TIMER_RETRY_POLL);
    }
    if (timer.arm_ms) {
        SetTimer(hwnd, TIMER_RETRY_POLL, *timer.arm_ms, nullptr);
    }
}

void on_repoll_timer(HWND hwnd) {
    const RepollTimer next = repoll_plan.on_fired();
    diagnostics::log_owned(fmt::format("re-poll {} after a passed reset; next in {} s", repoll_plan.fired(),
                                       next.arm_ms ? *next.arm_ms / 1000 : 0));
    apply_repoll(hwnd, next);
    request_poll();
}

LRESULT on_destroy(HWND hwnd) noexcept {
    // A change whose save failed gets one more try before the program ends.
    try {
        (void)state::save_if_unsaved(state::app_state(), settings::settings_path());
    } catch (...) {
        diagnostics::log_line("exit: settings not saved");
    }
    const std::size_t removed = remove_tray_icons(hwnd);
    try {
        diagnostics::log_owned(fmt::format("WM_DESTROY: {} tray icons removed", removed));
    } catch (...) {
    }
    PostQuitMessage(0);
    return 0;
}

LRESULT on_tray_callback(HWND hwnd, LPARAM lparam) noexcept {
    switch (LOWORD(lparam)) {
        case WM_MOUSEMOVE: {
            bool hover = false;
            if (auto held = state::app_state().lock()) {
                hover = held->panel_on_tray_hover;
            }
            if (hover) {
                show_panel(hwnd, state::PanelAnchor::Tray);
            }
            break;
        }
        case WM_RBUTTONUP:
            open_context_menu(hwnd, false);
            break;
        default:
            break;
    }
    return 0;
}

// When the language follows the system and the system's changed, the texts and title follow.
void refresh_language(HWND hwnd) {
    localization::Language setting = localization::Language::FollowSystem;
    localization::Language current = localization::Language::English;
    {
        auto held = state::app_state().lock();
        if (!held || held->language != state::FOLLOW_SYSTEM_LANGUAGE) {
            return;
        }
        current = localization::drawn_language(held->effective_language);
    }
    const auto changed =
        localization::language_after_system_change(setting, current, localization::detect_system_language());
    if (!changed) {
        return;
    }
    if (auto held = state::app_state().lock()) {
        held->effective_language = static_cast<state::LanguageIndex>(*changed);
    }
    if (const auto title = platform::to_wide(localization::string_table(*changed).app_title)) {
        SetWindowTextW(hwnd, title->c_str());
    }
    render();
}

LRESULT on_display_change(HWND hwnd) noexcept {
    refresh_dpi_from_window(hwnd);
    place_panel_if_visible(hwnd);
    render();
    return 0;
}

LRESULT on_setting_change(HWND hwnd) noexcept {
    refresh_theme();
    try {
        refresh_language(hwnd);
    } catch (...) {
    }
    return on_display_change(hwnd);
}

LRESULT on_set_cursor(HWND hwnd, WPARAM wparam, LPARAM lparam) noexcept {
    if (LOWORD(lparam) == HTCLIENT) {
        POINT p{};
        if (!GetCursorPos(&p)) {
            p = POINT{};
        }
        ScreenToClient(hwnd, &p);
        if (p.x < state::scale_dip(RESIZE_EDGE_DIPS, state::system_dpi().load())) {
            SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
            return 1;
        }
    }
    return DefWindowProcW(hwnd, WM_SETCURSOR, wparam, lparam);
}

LRESULT on_command(HWND hwnd, std::uint32_t id) {
    menu::CommandEffects effects;
    std::optional<std::string> account_id = menu::shown_menu_account(id);
    {
        auto held = state::app_state().lock();
        effects = menu::apply_command_id(held.state(), id, account_id);
    }
    if (effects.account_gone) {
        diagnostics::log_owned(fmt::format("menu command {} ignored: its account \"{}\" is no longer listed",
                                           id, account_id.value_or("")));
    }
    if (effects.save) {
        (void)state::save_settings();
        follow_settings(hwnd);
    }
    if (effects.reposition_if_visible) {
        place_panel_if_visible(hwnd);
    }
    if (effects.render) {
        render();
    }
    if (effects.sync_tray) {
        sync_tray(hwnd);
    }
    if (effects.toggle_autostart) {
        toggle_autostart();
    }
    if (effects.account_task) {
        start_account_task(*effects.account_task);
    }
    if (effects.quit) {
        // Through WM_DESTROY, which removes the tray icons before the loop ends.
        DestroyWindow(hwnd);
    }
    return 0;
}

void on_countdown_tick(HWND hwnd) {
    bool redraw = false;
    {
        auto held = state::app_state().lock();
        if (held && held->usage) {
            const std::uint64_t key = countdown_display_key(*held->usage, platform::precise_now());
            redraw = key != last_countdown_key;
            last_countdown_key = key;
        }
    }
    if (redraw) {
        render();
    }
    schedule_countdown(hwnd);
}

LRESULT on_timer(HWND hwnd, WPARAM id) {
    switch (id) {
        case TIMER_POLL:
            request_poll();
            break;
        case TIMER_RETRY_POLL:
            on_repoll_timer(hwnd);
            break;
        case TIMER_COUNTDOWN:
            on_countdown_tick(hwnd);
            break;
        case TIMER_AUTOHIDE:
            on_autohide_timer(hwnd);
            break;
        case TIMER_CORNER_HOVER:
            on_corner_hover_timer(hwnd);
            break;
        case TIMER_PIN_ANIMATION:
            on_pin_animation_timer(hwnd);
            break;
        default:
            break;
    }
    return 0;
}

LRESULT on_power_broadcast(HWND hwnd, WPARAM event) noexcept {
    if (event == PBT_APMRESUMESUSPEND || event == PBT_APMRESUMEAUTOMATIC) {
        diagnostics::log_line("WM_POWERBROADCAST resume; re-asserting pinned panel");
        reassert_pinned_topmost(hwnd, Reposition::Yes);
    }
    return 1;
}

LRESULT on_dpi_changed(HWND hwnd, WPARAM wparam) noexcept {
    state::system_dpi().store(LOWORD(wparam));
    return on_display_change(hwnd);
}

LRESULT on_usage_updated(HWND hwnd) {
    if (take_retry_stop_request() && KillTimer(hwnd, TIMER_RETRY_POLL)) {
        diagnostics::log_line("quick re-poll stopped");
    }
    refresh_theme();
    refresh_language(hwnd);
    render();
    {
        auto held = state::app_state().lock();
        if (held && held->usage) {
            last_countdown_key = countdown_display_key(*held->usage, platform::precise_now());
        }
    }
    schedule_countdown(hwnd);
    sync_tray(hwnd);
    follow_settings(hwnd);
    show_due_notices(hwnd);
    return 0;
}

LRESULT on_paint(HWND hwnd) noexcept {
    PAINTSTRUCT paint;
    if (BeginPaint(hwnd, &paint) != nullptr) {
        EndPaint(hwnd, &paint);
    }
    return 0;
}

LRESULT on_taskbar_created(HWND hwnd) noexcept {
    diagnostics::log_line("TaskbarCreated received; re-adding tray icons");
    if (HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr)) {
        if (auto held = state::app_state().lock()) {
            held->taskbar = reinterpret_cast<state::WindowHandle>(taskbar);
        }
    }
    forget_tray_icons();
    sync_tray(hwnd);
    reassert_pinned_topmost(hwnd, Reposition::Yes);
    return 0;
}

bool is_taskbar_created(UINT message) noexcept {
    auto& registered = state::ui_values().taskbar_created_msg;
    if (registered == 0) {
        registered = RegisterWindowMessageW(L"TaskbarCreated");
    }
    return registered != 0 && message == registered;
}

LRESULT dispatch(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_DESTROY:
            return on_destroy(hwnd);
        case WM_APP_TRAY:
            return on_tray_callback(hwnd, lparam);
        case WM_ERASEBKGND:
            return 1;
        case WM_SETTINGCHANGE:
            return on_setting_change(hwnd);
        case WM_SETCURSOR:
            return on_set_cursor(hwnd, wparam, lparam);
        case WM_DISPLAYCHANGE:
            return on_display_change(hwnd);
        case WM_COMMAND:
            return on_command(hwnd, LOWORD(wparam));
        case WM_TIMER:
            return on_timer(hwnd, wparam);
        case WM_LBUTTONDOWN:
            on_left_button_down(hwnd, lparam);
            return 0;
        case WM_RBUTTONUP:
            open_context_menu(hwnd, true);
            return 0;
        case WM_POWERBROADCAST:
            return on_power_broadcast(hwnd, wparam);
        case WM_DPICHANGED:
            return on_dpi_changed(hwnd, wparam);
        case WM_APP_USAGE_UPDATED:
            return on_usage_updated(hwnd);
        case WM_APP_SETTINGS_CHANGED:
            return on_settings_changed(hwnd);
        case WM_PAINT:
            return on_paint(hwnd);
        default:
            break;
    }
    if (is_taskbar_created(message)) {
        return on_taskbar_created(hwnd);
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace

void schedule_countdown(HWND hwnd) noexcept {
    CountdownTimers plan;
    {
        auto held = state::app_state().lock();
        if (!held) {
            return;
        }
        plan = plan_countdown_timers(held->has_polled, held->usage ? *held->usage : NO_USAGE,
                                     platform::precise_now());
    }
    if (plan.kill_countdown_and_retry) {
        KillTimer(hwnd, TIMER_COUNTDOWN);
        apply_repoll(hwnd, repoll_plan.on_readings(std::nullopt));
        return;
    }
    apply_repoll(hwnd, repoll_plan.on_readings(plan.passed_reset));
    if (plan.countdown_ms) {
        SetTimer(hwnd, TIMER_COUNTDOWN, *plan.countdown_ms, nullptr);
    }
}

LRESULT CALLBACK window_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
    try {
        return dispatch(hwnd, message, wparam, lparam);
    } catch (...) {
        return 0;  // a handler that ran out of memory drops this message; the program goes on
    }
}

}  // namespace window

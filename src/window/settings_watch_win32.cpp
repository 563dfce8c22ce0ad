#include "window/settings_watch_win32.hpp"

#include <thread>

#include "diagnostics/log.hpp"
#include "platform/wide_win32.hpp"
#include "settings/settings_load.hpp"
#include "settings/settings_path.hpp"
#include "state/settings_notice.hpp"
#include "state/settings_sync.hpp"
#include "tray_icon/tray_balloon_win32.hpp"
#include "tray_icon/tray_sync_win32.hpp"
#include "window/background_work_win32.hpp"
#include "window/ui_parts_win32.hpp"
#include "window/window_messages.hpp"

namespace window {
namespace {

constexpr DWORD FOLDER_RETRY_MS = 3000;
constexpr DWORD WATCHED_CHANGES =
    FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE;

void watch_folder(HWND hwnd, std::filesystem::path folder) noexcept {
    bool was_missing = false;
    for (;;) {
        HANDLE change = FindFirstChangeNotificationW(folder.c_str(), FALSE, WATCHED_CHANGES);
        if (change == INVALID_HANDLE_VALUE) {
            was_missing = true;
            Sleep(FOLDER_RETRY_MS);  // no folder yet: the first writer makes it
            continue;
        }
        if (was_missing) {
            PostMessageW(hwnd, WM_APP_SETTINGS_CHANGED, 0, 0);  // the file may have come with the folder
            was_missing = false;
        }
        while (WaitForSingleObject(change, INFINITE) == WAIT_OBJECT_0) {
            PostMessageW(hwnd, WM_APP_SETTINGS_CHANGED, 0, 0);
            if (!FindNextChangeNotification(change)) {
                break;  // the folder went away: watch for it again
            }
        }
        FindCloseChangeNotification(change);
    }
}

// The first tray icon carries the notice; without one it waits for the next chance.
void tell_settings_notice(HWND hwnd) noexcept {
    try {
        const auto& uids = tray_icon::previous_tray_uids();
        if (uids.empty()) {
            return;
        }
        const auto text = state::take_settings_notice(state::app_state());
        if (!text) {
            return;
        }
        const auto wide = platform::to_wide(*text).value_or(L"");
        if (!tray_icon::show_balloon(hwnd, uids.front(), L"Gaugelet", wide)) {
            diagnostics::log_line("settings notice: the shell refused the balloon");
        }
        diagnostics::log_owned("settings notice shown: " + *text);
    } catch (...) {
        diagnostics::log_line("settings notice: not shown");
    }
}

}  // namespace

void start_settings_watch(HWND hwnd, const std::filesystem::path& settings_path) noexcept {
    try {
        std::filesystem::path folder = settings_path.has_parent_path() ? settings_path.parent_path() : ".";
        std::thread(watch_folder, hwnd, std::move(folder)).detach();
    } catch (...) {
        diagnostics::log_line("settings watch: unable to start its thread");
    }
}

LRESULT on_settings_changed(HWND hwnd) noexcept {
    try {
        const auto path = settings::settings_path();
        const auto outcome = state::reload_settings(state::app_state(), path);
        if (outcome.result == state::ReloadResult::TakenIn) {
            refresh_theme();
            render();
            place_panel_if_visible(hwnd);
        }
    } catch (...) {
        diagnostics::log_line("settings watch: reload failed");
    }
    follow_settings(hwnd);
    return 0;
}

void follow_settings(HWND hwnd) noexcept {
    bool accounts_changed = false;
    if (auto held = state::app_state().lock()) {
        accounts_changed = held->accounts_changed_outside;
        held->accounts_changed_outside = false;
    }
    if (accounts_changed) {
        sync_tray(hwnd);
        render();
        request_poll();
    }
    tell_settings_notice(hwnd);
}

}  // namespace window

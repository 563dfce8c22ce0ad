// Reconciling the notification-area icons with Shell_NotifyIconW.
#include "tray_icon/tray_sync_win32.hpp"

#include <algorithm>

#include "diagnostics/log.hpp"
#include "platform/clock.hpp"
#include "platform/wide_win32.hpp"
#include "state/app_state.hpp"
#include "tray_icon/tray_icon_win32.hpp"
#include "tray_icon/tray_input.hpp"
#include "window/window_messages.hpp"

// clang-format off
#include "platform/windows_win32.hpp"  // first: the shell header needs its definitions
#include <shellapi.h>
// clang-format on

namespace tray_icon {
namespace {

// Owned by the UI thread, the only one that touches the icons.
thread_local std::vector<std::uint32_t> previous_uids;

NOTIFYICONDATAW icon_data(HWND owner, std::uint32_t uid) noexcept {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = owner;
    data.uID = uid;
    return data;
}

void add_or_modify(HWND owner, const TrayIconSpec& spec) {
    NOTIFYICONDATAW data = icon_data(owner, spec.uid);
    data.uFlags = NIF_ICON | NIF_TIP;
    const std::wstring tip = platform::to_wide(spec.tooltip).value_or(std::wstring());
    // The shell holds 127 units and the terminator.
    const std::size_t units = std::min(tip.size(), std::size(data.szTip) - 1);
    std::copy_n(tip.data(), units, data.szTip);
    // The shell copies the icon, so ours is destroyed when it goes out of scope.
    const native_interop::Icon icon = make_tray_icon(spec);
    data.hIcon = icon.get();
    if (Shell_NotifyIconW(NIM_MODIFY, &data)) {
        return;
    }
    // Not there yet (first sync, or the shell restarted): add it with the callback message.
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = window::WM_APP_TRAY;
    Shell_NotifyIconW(NIM_ADD, &data);  // a failure is tried again at the next sync
}

std::vector<TrayIconSpec> specs_from_state() {
    std::optional<TrayInput> input;
    {
        const auto guard = state::app_state().lock();
        if (guard) {
            input = tray_input(*guard);
        }
    }
    if (!input) {
        return placeholder_specs(localization::Language::English, settings::PanelTheme::HybridDark);
    }
    return build_tray_specs(*input, platform::precise_now());
}

}  // namespace

void sync_tray_icons(HWND owner) noexcept {
    try {
        sync_tray_icons(owner, specs_from_state());
    } catch (...) {
    }
}

void sync_tray_icons(HWND owner, const std::vector<TrayIconSpec>& specs) noexcept {
    try {
        if (diagnostics::log_enabled()) {
            diagnostics::log_owned(tray_sync_message(specs));
        }
        for (const TrayAction& action : tray_actions(specs, previous_uids)) {
            if (action.kind == TrayAction::Kind::Delete) {
                delete_tray_icon(owner, action.uid);
            } else {
                add_or_modify(owner, specs[action.spec]);
            }
        }
        std::vector<std::uint32_t> uids;
        uids.reserve(specs.size());
        for (const TrayIconSpec& spec : specs) {
            uids.push_back(spec.uid);
        }
        previous_uids = std::move(uids);
    } catch (...) {
    }
}

bool delete_tray_icon(HWND owner, std::uint32_t uid) noexcept {
    NOTIFYICONDATAW data = icon_data(owner, uid);
    return Shell_NotifyIconW(NIM_DELETE, &data) != FALSE;
}

void delete_all_tray_icons(HWND owner) noexcept {
    for (const std::uint32_t uid : previous_uids) {
        delete_tray_icon(owner, uid);
    }
    previous_uids.clear();
}

const std::vector<std::uint32_t>& previous_tray_uids() noexcept {
    return previous_uids;
}

}  // namespace tray_icon

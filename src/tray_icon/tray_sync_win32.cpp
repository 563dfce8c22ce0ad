// Reconciling the notification-area icons with Shell_NotifyIconW.
#include "tray_icon/tray_sync_win32.hpp"

#include <algorithm>

#include "diagnostics/log.hpp"
#include "platform/clock.hpp"
#include "platform/wide_win32.hpp"
#include "state/app_messages.hpp"
#include "state/app_state.hpp"
#include "tray_icon/tray_icon_win32.hpp"
#include "tray_icon/tray_input.hpp"

// clang-format off
#include "platform/windows_win32.hpp"  // first: the shell header needs its definitions
#include <shellapi.h>
// clang-format on

namespace tray_icon {
namespace {

// What the shell shows, as last told; owned by the UI thread, the only one that touches the icons.
thread_local std::vector<TrayIconSpec> shown;
thread_local std::vector<std::uint32_t> shown_uids;

NOTIFYICONDATAW icon_data(HWND owner, std::uint32_t uid) noexcept {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = owner;
    data.uID = uid;
    return data;
}

void copy_tooltip(NOTIFYICONDATAW& data, const TrayIconSpec& spec) {
    const std::wstring tip = platform::to_wide(spec.tooltip).value_or(std::wstring());
    // The shell holds 127 units and the terminator.
    const std::size_t units = std::min(tip.size(), std::size(data.szTip) - 1);
    std::copy_n(tip.data(), units, data.szTip);
}

bool add_or_modify(HWND owner, const TrayIconSpec& spec) {
    NOTIFYICONDATAW data = icon_data(owner, spec.uid);
    data.uFlags = NIF_ICON | NIF_TIP;
    copy_tooltip(data, spec);
    // The shell copies the icon, so ours is destroyed when it goes out of scope.
    const native_interop::Icon icon = make_tray_icon(spec);
    data.hIcon = icon.get();
    if (Shell_NotifyIconW(NIM_MODIFY, &data)) {
        return true;
    }
    // Not there yet (first sync, or the shell restarted): add it with the callback message.
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = state::WM_APP_TRAY;
    return Shell_NotifyIconW(NIM_ADD, &data) != FALSE;  // a failure is tried again at the next sync
}

// The picture is unchanged: only the text goes to the shell, and no icon is drawn.
bool change_tooltip(HWND owner, const TrayIconSpec& spec) {
    NOTIFYICONDATAW data = icon_data(owner, spec.uid);
    data.uFlags = NIF_TIP;
    copy_tooltip(data, spec);
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE || add_or_modify(owner, spec);
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
        std::vector<std::uint32_t> refused;
        for (const TrayAction& action : tray_actions(specs, shown)) {
            switch (action.kind) {
                case TrayAction::Kind::Delete:
                    delete_tray_icon(owner, action.uid);  // gone from the shell either way
                    break;
                case TrayAction::Kind::Tooltip:
                    if (!change_tooltip(owner, specs[action.spec])) {
                        refused.push_back(action.uid);
                    }
                    break;
                case TrayAction::Kind::AddOrModify:
                    if (!add_or_modify(owner, specs[action.spec])) {
                        refused.push_back(action.uid);
                    }
                    break;
            }
        }
        // An icon the shell refused is not remembered, so the next sync sends it again.
        shown.clear();
        for (const TrayIconSpec& spec : specs) {
            if (std::find(refused.begin(), refused.end(), spec.uid) == refused.end()) {
                shown.push_back(spec);
            }
        }
        shown_uids.clear();
        for (const TrayIconSpec& spec : shown) {
            shown_uids.push_back(spec.uid);
        }
    } catch (...) {
    }
}

bool delete_tray_icon(HWND owner, std::uint32_t uid) noexcept {
    NOTIFYICONDATAW data = icon_data(owner, uid);
    return Shell_NotifyIconW(NIM_DELETE, &data) != FALSE;
}

std::size_t delete_all_tray_icons(HWND owner) noexcept {
    std::size_t deleted = 0;
    for (const TrayIconSpec& spec : shown) {
        deleted += delete_tray_icon(owner, spec.uid) ? 1 : 0;
    }
    shown.clear();
    shown_uids.clear();
    return deleted;
}

void forget_tray_icons() noexcept {
    shown.clear();
    shown_uids.clear();
}

const std::vector<std::uint32_t>& previous_tray_uids() noexcept {
    return shown_uids;
}

}  // namespace tray_icon

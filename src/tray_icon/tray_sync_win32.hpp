#pragma once
// The notification-area icons kept in step with the application state: one per tray account
// (or the placeholder), added, updated and deleted by their stable uids. An icon whose picture and
// tooltip did not change is not drawn or sent again.

#include <cstdint>
#include <vector>

#include "platform/windows_win32.hpp"
#include "tray_icon/tray_spec.hpp"

namespace tray_icon {

// Builds the specs from the application state (the placeholder alone while there is none),
// logs "tray sync: …" and reconciles the shell's icons with them. After the shell restarted
// ("TaskbarCreated"), forget_tray_icons first makes it add every icon again. UI thread only.
void sync_tray_icons(HWND owner) noexcept;

// The same for specs built by the caller.
void sync_tray_icons(HWND owner, const std::vector<TrayIconSpec>& specs) noexcept;

// Shell_NotifyIconW(NIM_DELETE) for one icon; false when the shell had none with that uid.
bool delete_tray_icon(HWND owner, std::uint32_t uid) noexcept;

// Deletes every icon the last synchronisation registered and forgets them (on WM_DESTROY); how
// many the shell still had.
std::size_t delete_all_tray_icons(HWND owner) noexcept;

// The shell restarted and lost every icon: the next synchronisation adds them all again.
void forget_tray_icons() noexcept;

// The uids the shell shows as the last synchronisation left them, in spec order (this thread's);
// an icon the shell refused is not among them.
[[nodiscard]] const std::vector<std::uint32_t>& previous_tray_uids() noexcept;

}  // namespace tray_icon

#pragma once
// A balloon notice on one of our tray icons.

#include <cstdint>
#include <string>

#include "platform/windows_win32.hpp"

namespace tray_icon {
// Shows a balloon notice (NIF_INFO, NIIF_INFO | NIIF_RESPECT_QUIET_TIME) on the icon (window, uid); never
// takes focus or opens a window. False when the shell refused it.
bool show_balloon(HWND window, std::uint32_t uid, const std::wstring& title,
                  const std::wstring& text) noexcept;
}  // namespace tray_icon

#pragma once
// Showing the notices the latest usage calls for, as balloons on the tray icons.

#include "platform/windows_win32.hpp"

namespace window {

// Decides on the published usage, remembers the windows in notices.json and shows each notice
// on its tray icon. Runs on the user-interface thread after the tray icons were synchronised.
void show_due_notices(HWND hwnd) noexcept;

}  // namespace window

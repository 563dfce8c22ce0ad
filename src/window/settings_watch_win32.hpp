#pragma once
// Following the settings file while the program runs: another writer's change (gaugelet-cli
// adding an account, the user in an editor) is taken in within moments, and what the user must
// know about the file is told in a balloon.

#include <filesystem>

#include "platform/windows_win32.hpp"

namespace window {

// Watches the folder of `settings_path` on a thread of its own and posts
// WM_APP_SETTINGS_CHANGED to `hwnd` after each change in it; a folder that is not there yet is
// looked for again every few seconds.
void start_settings_watch(HWND hwnd, const std::filesystem::path& settings_path) noexcept;

// WM_APP_SETTINGS_CHANGED: reads the file and takes in what another writer changed.
LRESULT on_settings_changed(HWND hwnd) noexcept;

// After anything that may have changed the settings or the list behind the window's back: the
// tray icons and the panel follow, new accounts are polled, and a waiting notice is shown.
void follow_settings(HWND hwnd) noexcept;

}  // namespace window

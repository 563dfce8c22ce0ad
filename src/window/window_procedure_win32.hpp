#pragma once
// The main window's procedure: every message the program handles, each in a short handler.

#include "platform/windows_win32.hpp"

namespace window {

LRESULT CALLBACK window_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) noexcept;

// Sets the countdown and re-poll timers for the usage the state holds now.
void schedule_countdown(HWND hwnd) noexcept;

}  // namespace window

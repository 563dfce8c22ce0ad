#pragma once
// The tray program after the process starts: start-up, the one window, the message loop.

namespace window {

// Returns the process's exit code when the message loop ends or start-up stops early (another
// instance runs). Never throws.
int run() noexcept;

}  // namespace window

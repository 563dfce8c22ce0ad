#pragma once
// The numbers of the messages the program sends its own window: named here, below the window and
// the tray, so the tray's callback and the threads that post to the window need not reach up into it.

#include <cstdint>

namespace state {

// WM_APP (0x8000) + n; kept as plain numbers so portable code can name them.
inline constexpr std::uint32_t WM_APP_USAGE_UPDATED = 0x8001;  // a poll or account thread stored results
inline constexpr std::uint32_t WM_APP_TRAY = 0x8003;           // callback of every tray icon

}  // namespace state

#pragma once
// The main window's own timer identifiers and periods, with its message numbers, for the window
// procedure and the threads that post to the window.

#include <cstdint>

#include "state/app_messages.hpp"

namespace window {

using state::WM_APP_TRAY;
using state::WM_APP_USAGE_UPDATED;

// Something changed in the settings file's folder.
inline constexpr std::uint32_t WM_APP_SETTINGS_CHANGED = 0x8010;

inline constexpr std::uintptr_t TIMER_POLL = 1;           // every 60 s
inline constexpr std::uintptr_t TIMER_COUNTDOWN = 2;      // one second after the next countdown text changes
inline constexpr std::uintptr_t TIMER_RETRY_POLL = 3;     // every 5 s while a shown reset time has passed
inline constexpr std::uintptr_t TIMER_AUTOHIDE = 5;       // every 200 ms while the panel is shown
inline constexpr std::uintptr_t TIMER_CORNER_HOVER = 6;   // every 120 ms
inline constexpr std::uintptr_t TIMER_PIN_ANIMATION = 7;  // every 16 ms while the pin moves

inline constexpr std::uint32_t POLL_INTERVAL_MS = 60000;
inline constexpr std::uint32_t RETRY_POLL_MS = 5000;
inline constexpr std::uint32_t AUTOHIDE_MS = 200;
inline constexpr std::uint32_t CORNER_HOVER_MS = 120;
inline constexpr std::uint32_t PIN_ANIMATION_MS = 16;

}  // namespace window

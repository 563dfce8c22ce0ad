#pragma once
// Poll cycles and account operations on background threads. They reach the window only by
// storing into the application state and posting WM_APP_USAGE_UPDATED.

#include "menu/menu_command.hpp"
#include "platform/windows_win32.hpp"
#include "poller/endpoints.hpp"

namespace window {

// Sets up the poll scheduler for the window, with the endpoints read once at start-up. Call once,
// before the first request_poll.
void start_background_work(HWND hwnd, poller::Endpoints endpoints);

// One more poll cycle: starts one now, or queues one behind the running cycle.
void request_poll() noexcept;

// Starts the add, re-login or remove thread; it saves the settings and asks for one poll at its end.
void start_account_task(const menu::AccountTask& task) noexcept;

// Whether a cycle since the last call found no reset time passed, so the re-poll timer must stop.
// Timers belong to the window's thread, so the cycle leaves the stop to it.
[[nodiscard]] bool take_retry_stop_request() noexcept;

}  // namespace window

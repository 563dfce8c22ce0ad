#pragma once
// Which of the countdown and re-poll timers to set, and to what, for the published usage.

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/clock.hpp"
#include "poller/usage_model.hpp"

namespace window {

inline constexpr std::uint32_t COUNTDOWN_IDLE_MS = 60000;  // nothing counts down
inline constexpr std::uint32_t COUNTDOWN_MIN_MS = 1000;

struct CountdownTimers {
    bool kill_countdown_and_retry = false;           // no poll has stored data yet
    std::optional<std::uint32_t> countdown_ms;       // set the countdown redraw timer to this
    std::optional<platform::FileTime> passed_reset;  // the latest shown reset that has passed

    friend constexpr bool operator==(const CountdownTimers&, const CountdownTimers&) = default;
};

// One second after the next displayed countdown value changes (seconds under a minute, minutes
// under a day, hours beyond), and the latest passed reset time for the re-poll plan. Only timers
// the plan names change; an empty usage list changes nothing.
[[nodiscard]] CountdownTimers plan_countdown_timers(bool has_polled,
                                                    const std::vector<poller::UsageSnapshot>& usage,
                                                    platform::FileTime now);

// A number that changes whenever one displayed countdown text changes (the value in its unit, or
// a reset that has passed); equal keys mean a redraw would draw the same texts. Allocates nothing.
[[nodiscard]] std::uint64_t countdown_display_key(const std::vector<poller::UsageSnapshot>& usage,
                                                  platform::FileTime now) noexcept;

}  // namespace window

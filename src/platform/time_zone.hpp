#pragma once
// Wall-clock fields of an instant in the system's current time zone.

#include <cstdint>
#include <optional>

#include "platform/clock.hpp"

namespace platform {

struct LocalTime {
    std::int32_t year = 0;
    std::int32_t month = 0;        // 1-12
    std::int32_t day = 0;          // 1-31
    std::int32_t day_of_week = 0;  // 0 Sunday to 6 Saturday
    std::int32_t hour = 0;         // 0-23
    std::int32_t minute = 0;
    std::int32_t second = 0;

    friend constexpr bool operator==(const LocalTime&, const LocalTime&) = default;
};

// The local calendar fields of a UTC instant (sub-second ticks ignored); nothing when the system
// cannot convert it.
[[nodiscard]] std::optional<LocalTime> to_local_time(FileTime utc) noexcept;

}  // namespace platform

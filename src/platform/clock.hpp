#pragma once
// Instants as Windows file times: 100-nanosecond units since 1601-01-01 00:00 UTC.

#include <cstdint>
#include <limits>
#include <optional>

namespace platform {

using FileTime = std::uint64_t;

inline constexpr FileTime FILETIME_UNIX_EPOCH = 116444736000000000ULL;
inline constexpr FileTime FILETIME_TICKS_PER_SECOND = 10000000ULL;
inline constexpr FileTime FILETIME_TICKS_PER_MILLISECOND = 10000ULL;

// The precise system time (GetSystemTimePreciseAsFileTime; clock_gettime on POSIX).
[[nodiscard]] FileTime precise_now() noexcept;

// Whole seconds since 1970-01-01 UTC; 0 for an instant before 1970.
[[nodiscard]] constexpr std::uint64_t unix_seconds(FileTime t) noexcept {
    return t < FILETIME_UNIX_EPOCH ? 0 : (t - FILETIME_UNIX_EPOCH) / FILETIME_TICKS_PER_SECOND;
}

// Whole milliseconds since 1970-01-01 UTC, negative before 1970.
[[nodiscard]] constexpr std::int64_t unix_milliseconds(FileTime t) noexcept {
    return t >= FILETIME_UNIX_EPOCH
               ? static_cast<std::int64_t>((t - FILETIME_UNIX_EPOCH) / FILETIME_TICKS_PER_MILLISECOND)
               : -static_cast<std::int64_t>((FILETIME_UNIX_EPOCH - t + FILETIME_TICKS_PER_MILLISECOND - 1) /
                                            FILETIME_TICKS_PER_MILLISECOND);
}

// The file time of a Unix second count, or nothing when the instant lies before 1601 or past
// the last file time (a server's 9223372036854775807 must not wrap round to some other date).
[[nodiscard]] constexpr std::optional<FileTime> file_time_if_representable(std::int64_t seconds) noexcept {
    constexpr std::int64_t earliest =
        -static_cast<std::int64_t>(FILETIME_UNIX_EPOCH / FILETIME_TICKS_PER_SECOND);
    constexpr std::int64_t latest = static_cast<std::int64_t>(
        (std::numeric_limits<FileTime>::max() - FILETIME_UNIX_EPOCH) / FILETIME_TICKS_PER_SECOND);
    if (seconds < earliest || seconds > latest) {
        return std::nullopt;
    }
    // Unsigned arithmetic: the range check above keeps the sum inside 64 bits.
    return static_cast<FileTime>(FILETIME_UNIX_EPOCH +
                                 static_cast<FileTime>(seconds) * FILETIME_TICKS_PER_SECOND);
}

// The file time of a Unix second count; instants before 1601 clamp to 0 and instants past the
// last file time to the last one.
[[nodiscard]] constexpr FileTime file_time_from_unix_seconds(std::int64_t seconds) noexcept {
    if (const auto exact = file_time_if_representable(seconds)) {
        return *exact;
    }
    return seconds < 0 ? 0 : std::numeric_limits<FileTime>::max();
}

}  // namespace platform

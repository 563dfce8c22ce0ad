#pragma once
// Sample usage readings made from the clock: each window fills up as its time runs and empties
// when it resets, so a running program shows bars that grow and countdowns that tick.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace demo {

// How one sample account uses its windows.
struct UsageProfile {
    std::int64_t phase_seconds;  // shifts the window boundaries, so accounts reset at different times
    double five_hour_peak;       // percent used when the five-hour window ends
    double seven_day_start;      // percent used when the seven-day window begins
    double seven_day_peak;       // percent used when it ends
};

struct WindowReading {
    double percent;
    std::int64_t resets_at;  // Unix seconds
};

struct Reading {
    WindowReading five_hour;
    WindowReading seven_day;
};

inline constexpr std::int64_t FIVE_HOURS = 5 * 3600;
inline constexpr std::int64_t SEVEN_DAYS = 7 * 24 * 3600;

[[nodiscard]] Reading reading_at(const UsageProfile& profile, std::int64_t unix_seconds);

// "2026-12-08T07:00:00Z"
[[nodiscard]] std::string rfc3339(std::int64_t unix_seconds);

// The Claude usage answer, with a weekly bar per model when `models` is set.
[[nodiscard]] std::string claude_usage_body(const Reading& reading, bool models);
// The Messages answer's rate-limit headers.
[[nodiscard]] std::vector<std::pair<std::string, std::string>> messages_headers(const Reading& reading);
// The Codex usage answer.
[[nodiscard]] std::string codex_usage_body(const Reading& reading);

}  // namespace demo

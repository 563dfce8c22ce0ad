#pragma once
// The short texts of a usage window ("37% · 2h 5m (3:05pm)") and of the tray tooltips.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "localization/string_table.hpp"
#include "platform/clock.hpp"
#include "platform/time_zone.hpp"
#include "poller/usage_model.hpp"

namespace localization {

// Turns a UTC instant into local calendar fields; the platform's time-zone rules by default.
using LocalTimeConversion = std::optional<platform::LocalTime> (*)(platform::FileTime) noexcept;

// "{:.0}%": nearest integer, exact halves to the even neighbour (42.5 -> 42%, 43.5 -> 44%); a
// negative share or one that is not a number reads "0%", one past 999 ">999%".
[[nodiscard]] std::string format_percent(double percent);

// A reset further away than this is no reset a usage window has (year 9999, say): it counts as absent.
inline constexpr std::uint64_t MAX_RESET_DAYS = 400;
[[nodiscard]] bool reset_too_far(platform::FileTime reset, platform::FileTime now) noexcept;

// "now" when the reset lies before `now`, else the one or two largest groups: 2d 3h, 4h 12m, 59m, 7s.
[[nodiscard]] std::string format_countdown(platform::FileTime reset, platform::FileTime now,
                                           const StringTable& strings);

// The local wall-clock moment of a reset: "3:05pm" when it falls on today's local date, else
// "12/25 Thu 3:05pm"; empty before 1970 or when the conversion fails.
[[nodiscard]] std::string format_reset_clock(platform::FileTime reset, platform::FileTime now,
                                             LocalTimeConversion to_local = platform::to_local_time);

// Percentage, countdown and clock: "37% · 2h 5m (3:05pm)", "12% · now", "0%".
[[nodiscard]] std::string format_usage_value(const poller::UsageBar& window, const StringTable& strings,
                                             platform::FileTime now,
                                             LocalTimeConversion to_local = platform::to_local_time);

// "{provider} — {label} | 5h: {five} | 7d: {seven}" for an account with a usage reading.
[[nodiscard]] std::string usage_tooltip(std::string_view provider_name, std::string_view label,
                                        std::string_view five_hour_text, std::string_view seven_day_text);

// "{provider} — {label}" for an account without one.
[[nodiscard]] std::string account_tooltip(std::string_view provider_name, std::string_view label);

// The shell's tooltip field holds 128 UTF-16 units with the terminator.
inline constexpr std::size_t TOOLTIP_MAX_UTF16_UNITS = 127;

// The longest prefix of `text` that fits in `max_units` UTF-16 code units; a character is never
// split, so a surrogate pair that would straddle the limit is left out whole.
[[nodiscard]] std::string cut_to_utf16_units(std::string_view text,
                                             std::size_t max_units = TOOLTIP_MAX_UTF16_UNITS);

}  // namespace localization

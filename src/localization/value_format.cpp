#include "localization/value_format.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cmath>

namespace localization {
namespace {

using platform::FileTime;

constexpr std::array<std::string_view, 7> WEEKDAYS = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

std::string group(std::uint64_t value, std::string_view unit) {
    return fmt::format("{}{}", value, unit);
}

std::string two_groups(std::uint64_t first, std::string_view first_unit, std::uint64_t second,
                       std::string_view second_unit) {
    return fmt::format("{}{} {}{}", first, first_unit, second, second_unit);
}

std::string time_text(const platform::LocalTime& local) {
    const int hour12 = local.hour % 12 == 0 ? 12 : local.hour % 12;
    const std::string_view suffix = local.hour < 12 ? "am" : "pm";
    if (local.minute == 0) {
        return fmt::format("{}{}", hour12, suffix);
    }
    return fmt::format("{}:{:02}{}", hour12, local.minute, suffix);
}

// Bytes of the UTF-8 sequence that starts with `lead`; a stray byte counts as one character.
std::size_t sequence_length(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 4;
    }
    if (lead >= 0xE0 && lead < 0xF0) {
        return 3;
    }
    if (lead >= 0xC2 && lead < 0xE0) {
        return 2;
    }
    return 1;
}

constexpr double MAX_SHOWN_PERCENT = 999.0;

}  // namespace

bool reset_too_far(FileTime reset, FileTime now) noexcept {
    return reset > now && reset - now > MAX_RESET_DAYS * 86400ULL * platform::FILETIME_TICKS_PER_SECOND;
}

std::string format_percent(double percent) {
    // A share is never below nothing, and past three digits only its size matters: a server that
    // answers 1e308 must not push the reset time off the panel.
    if (std::isnan(percent) || percent <= 0.0) {
        return "0%";
    }
    if (percent >= MAX_SHOWN_PERCENT + 0.5) {
        return ">999%";
    }
    // Halves to even, on the exact binary value, whatever the rounding mode: the fraction is
    // exact below 2^52 and larger values are whole already. (Switching the rounding mode would
    // do it too, but mingw's fesetround asks the processor for SSE with CPUID, which a virtual
    // machine traps: about a microsecond for every value text.)
    double rounded = std::floor(percent);
    if (const double fraction = percent - rounded;
        fraction > 0.5 || (fraction == 0.5 && std::fmod(rounded, 2.0) != 0.0)) {
        rounded += 1.0;
    }
    if (rounded == 0.0) {
        rounded = 0.0;  // -0.3 reads as 0%, not -0%
    }
    return fmt::format("{:.0f}%", rounded);
}

std::string format_countdown(FileTime reset, FileTime now, const StringTable& strings) {
    if (reset < now) {
        return std::string(strings.unit_now);
    }
    const std::uint64_t s = (reset - now) / platform::FILETIME_TICKS_PER_SECOND;
    const std::uint64_t days = s / 86400;
    const std::uint64_t hours = (s % 86400) / 3600;
    const std::uint64_t minutes = (s % 3600) / 60;
    if (s >= 86400) {
        return hours == 0 ? group(days, strings.unit_day)
                          : two_groups(days, strings.unit_day, hours, strings.unit_hour);
    }
    if (s >= 3600) {
        return minutes == 0 ? group(hours, strings.unit_hour)
                            : two_groups(hours, strings.unit_hour, minutes, strings.unit_minute);
    }
    if (s >= 60) {
        return group(minutes, strings.unit_minute);
    }
    return group(s, strings.unit_second);
}

std::string format_reset_clock(FileTime reset, FileTime now, LocalTimeConversion to_local) {
    if (reset < platform::FILETIME_UNIX_EPOCH || to_local == nullptr) {
        return {};
    }
    const FileTime whole_second = reset - reset % platform::FILETIME_TICKS_PER_SECOND;
    const auto local = to_local(whole_second);
    if (!local || local->day_of_week < 0 || local->day_of_week > 6) {
        return {};
    }
    const std::string time = time_text(*local);
    const auto today = to_local(now);
    if (today && today->year == local->year && today->month == local->month && today->day == local->day) {
        return time;
    }
    return fmt::format("{}/{} {} {}", local->month, local->day,
                       WEEKDAYS[static_cast<std::size_t>(local->day_of_week)], time);
}

std::string format_usage_value(const poller::UsageBar& window, const StringTable& strings, FileTime now,
                               LocalTimeConversion to_local) {
    std::string text = format_percent(window.percent);
    if (!window.resets_at || reset_too_far(*window.resets_at, now)) {
        return text;
    }
    const FileTime reset = *window.resets_at;
    std::string reset_text = format_countdown(reset, now, strings);
    if (reset >= now) {
        if (const std::string clock = format_reset_clock(reset, now, to_local); !clock.empty()) {
            reset_text = fmt::format("{} ({})", reset_text, clock);
        }
    }
    return fmt::format("{} \u00B7 {}", text, reset_text);
}

std::string usage_tooltip(std::string_view provider_name, std::string_view label,
                          std::string_view five_hour_text, std::string_view seven_day_text) {
    return fmt::format("{} \u2014 {} | 5h: {} | 7d: {}", provider_name, label, five_hour_text,
                       seven_day_text);
}

std::string account_tooltip(std::string_view provider_name, std::string_view label) {
    return fmt::format("{} \u2014 {}", provider_name, label);
}

std::string cut_to_utf16_units(std::string_view text, std::size_t max_units) {
    std::size_t units = 0;
    std::size_t position = 0;
    while (position < text.size()) {
        std::size_t length = sequence_length(static_cast<unsigned char>(text[position]));
        length = std::min(length, text.size() - position);
        const std::size_t needed = length == 4 ? 2 : 1;  // beyond U+FFFF: a surrogate pair
        if (units + needed > max_units) {
            break;
        }
        units += needed;
        position += length;
    }
    return std::string(text.substr(0, position));
}

}  // namespace localization

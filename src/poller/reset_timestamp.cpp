#include "poller/reset_timestamp.hpp"

#include <array>
#include <charconv>
#include <cstdint>

namespace poller {
namespace {

std::optional<std::int64_t> decimal(std::string_view text) {
    if (text.empty() || text.size() > 9) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

// Splits at every `separator` into exactly three decimal fields.
std::optional<std::array<std::int64_t, 3>> three_fields(std::string_view text, char separator) {
    std::array<std::int64_t, 3> fields{};
    for (std::size_t i = 0; i < 3; ++i) {
        const std::size_t end = i < 2 ? text.find(separator) : text.size();
        if (end == std::string_view::npos || (i == 2 && text.find(separator) != std::string_view::npos)) {
            return std::nullopt;
        }
        const auto value = decimal(text.substr(0, end));
        if (!value) {
            return std::nullopt;
        }
        fields[i] = *value;
        text.remove_prefix(i < 2 ? end + 1 : end);
    }
    return fields;
}

bool is_leap(std::int64_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// Seconds east of UTC for "+05:00", "-0530" or "+05"; nothing for anything else.
std::optional<std::int64_t> offset_seconds(std::string_view text) {
    const std::int64_t sign = text.front() == '-' ? -1 : 1;
    text.remove_prefix(1);
    std::string_view hours = text.substr(0, 2);
    std::string_view minutes = "00";
    if (text.size() == 5 && text[2] == ':') {
        minutes = text.substr(3);
    } else if (text.size() == 4) {
        minutes = text.substr(2);
    } else if (text.size() != 2) {
        return std::nullopt;
    }
    const auto h = decimal(hours);
    const auto m = decimal(minutes);
    if (hours.size() != 2 || minutes.size() != 2 || !h || !m || *h > 23 || *m > 59) {
        return std::nullopt;
    }
    return sign * (*h * 3600 + *m * 60);
}

}  // namespace

std::optional<platform::FileTime> parse_reset_timestamp(std::optional<std::string_view> text) {
    if (!text) {
        return std::nullopt;
    }
    const std::size_t t = text->find('T');
    if (t == std::string_view::npos) {
        return std::nullopt;
    }
    const auto date = three_fields(text->substr(0, t), '-');
    if (!date) {
        return std::nullopt;
    }
    const auto [year, month, day] = *date;
    if (year < 1970 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31) {
        return std::nullopt;
    }

    std::string_view time = text->substr(t + 1);
    std::int64_t offset = 0;
    if (const std::size_t zone = time.find_first_of("Z+-"); zone != std::string_view::npos) {
        if (time[zone] != 'Z') {
            const auto parsed = offset_seconds(time.substr(zone));
            if (!parsed) {
                return std::nullopt;
            }
            offset = *parsed;
        }
        time = time.substr(0, zone);
    }
    time = time.substr(0, time.find('.'));
    const auto clock = three_fields(time, ':');
    if (!clock) {
        return std::nullopt;
    }
    const auto [hour, minute, second] = *clock;
    if (hour > 23 || minute > 59 || second > 60) {
        return std::nullopt;
    }

    constexpr std::array<std::int64_t, 12> MONTH_DAYS = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    std::int64_t days = 0;
    for (std::int64_t y = 1970; y < year; ++y) {
        days += is_leap(y) ? 366 : 365;
    }
    for (std::int64_t m = 1; m < month; ++m) {
        days += MONTH_DAYS[static_cast<std::size_t>(m - 1)];
    }
    if (month > 2 && is_leap(year)) {
        days += 1;
    }
    days += day - 1;
    const std::int64_t seconds = days * 86400 + hour * 3600 + minute * 60 + second - offset;
    return platform::file_time_from_unix_seconds(seconds);
}

}  // namespace poller

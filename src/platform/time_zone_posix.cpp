// Local wall-clock time through the C library's time-zone rules (TZ honoured).
#include <ctime>
#include <limits>

#include "platform/time_zone.hpp"

namespace platform {

std::optional<LocalTime> to_local_time(FileTime utc) noexcept {
    // Windows refuses file times with the top bit set; keep both builds alike.
    if (utc > static_cast<FileTime>(std::numeric_limits<std::int64_t>::max())) {
        return std::nullopt;
    }
    const auto ticks = static_cast<std::int64_t>(utc) - static_cast<std::int64_t>(FILETIME_UNIX_EPOCH);
    const auto per_second = static_cast<std::int64_t>(FILETIME_TICKS_PER_SECOND);
    std::int64_t seconds = ticks / per_second;
    if (ticks % per_second < 0) {
        --seconds;  // floor, so instants before 1970 keep their second
    }
    const auto moment = static_cast<std::time_t>(seconds);
    // localtime_r need not look at TZ again; tzset makes a changed TZ count.
    tzset();
    std::tm fields{};
    if (localtime_r(&moment, &fields) == nullptr) {
        return std::nullopt;
    }
    return LocalTime{fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday, fields.tm_wday,
                     fields.tm_hour,        fields.tm_min,     fields.tm_sec};
}

}  // namespace platform

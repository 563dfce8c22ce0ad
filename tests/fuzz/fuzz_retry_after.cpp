// Feeds arbitrary text to the Retry-After reader, as delay seconds or an HTTP date. The cool-down
// it gives never ends later than the longest honoured one; a delay never ends before now; a date
// it reads, written back as an HTTP date, reads as the same instant.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "fuzz_support.hpp"
#include "poller/rate_limit_headers.hpp"
#include "poller/usage_cooldown.hpp"

using fuzz_support::check;

namespace {

// 2026-01-01T00:00:00Z
constexpr platform::FileTime NOW = platform::file_time_from_unix_seconds(1767225600);

// "Thu, 01 Jan 1970 00:00:00 GMT"
std::string http_date(platform::FileTime t) {
    static constexpr std::array<const char*, 7> WEEKDAYS = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};
    static constexpr std::array<const char*, 12> MONTHS = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                           "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::int64_t seconds = fuzz_support::unix_seconds_of(t);
    const auto civil = fuzz_support::civil_from_unix(seconds);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s, %02lld %s %04lld %02lld:%02lld:%02lld GMT",
                  WEEKDAYS[static_cast<std::size_t>(seconds / 86400 % 7)], static_cast<long long>(civil.day),
                  MONTHS[static_cast<std::size_t>(civil.month - 1)], static_cast<long long>(civil.year),
                  static_cast<long long>(civil.hour), static_cast<long long>(civil.minute),
                  static_cast<long long>(civil.second));
    return buffer;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    for (const platform::FileTime now : {NOW, platform::FileTime{0}}) {
        const auto until = poller::retry_after_instant(input, now);
        if (!until) {
            continue;
        }
        check(*until <= now + poller::MAX_COOLDOWN, "a cool-down longer than the longest honoured");
        if (poller::parse_header_integer(input)) {
            check(*until >= now, "a delay that ends before now");
        } else if (*until < now + poller::MAX_COOLDOWN) {
            check(*until >= platform::FILETIME_UNIX_EPOCH, "an HTTP date before 1970");
            check(poller::retry_after_instant(http_date(*until), now) == until,
                  "a date written back reads as another instant");
        }
    }
    return 0;
}

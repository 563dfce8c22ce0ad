// Feeds arbitrary text to the reset time stamp reader. An instant it reads lies within the years
// it accepts (1970 to 9999, give or take a day of offset and the overflow of a 31st), and written
// back as RFC 3339 text, in UTC or with a zero offset and a fraction, reads as the same instant.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "fuzz_support.hpp"
#include "poller/reset_timestamp.hpp"

using fuzz_support::check;

namespace {

constexpr std::int64_t EARLIEST = -86400;              // 1970-01-01T00:00:00+23:59
constexpr std::int64_t LATEST = 253402300800 + 86400;  // 9999-12-31T23:59:60-23:59

std::string rfc3339(std::int64_t seconds, const char* zone) {
    const auto civil = fuzz_support::civil_from_unix(seconds);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04lld-%02lld-%02lldT%02lld:%02lld:%02lld%s",
                  static_cast<long long>(civil.year), static_cast<long long>(civil.month),
                  static_cast<long long>(civil.day), static_cast<long long>(civil.hour),
                  static_cast<long long>(civil.minute), static_cast<long long>(civil.second), zone);
    return buffer;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto instant = poller::parse_reset_timestamp(input);
    if (!instant) {
        return 0;
    }
    check(*instant >= platform::file_time_from_unix_seconds(EARLIEST) &&
              *instant <= platform::file_time_from_unix_seconds(LATEST),
          "an instant outside the accepted years");
    const std::int64_t seconds = fuzz_support::unix_seconds_of(*instant);
    check(platform::file_time_from_unix_seconds(seconds) == *instant,
          "an instant with a fraction of a second");
    if (seconds >= 0 && seconds < 253402300800) {
        check(poller::parse_reset_timestamp(rfc3339(seconds, "Z")) == instant,
              "an instant written back in UTC reads differently");
        check(poller::parse_reset_timestamp(rfc3339(seconds, ".999999+00:00")) == instant,
              "an instant written back with a zero offset reads differently");
    }
    return 0;
}

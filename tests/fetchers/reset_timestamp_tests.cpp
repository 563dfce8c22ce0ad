#include <gtest/gtest.h>

#include "poller/reset_timestamp.hpp"
#include "poller/usage_cooldown.hpp"

namespace {

constexpr std::optional<platform::FileTime> at(std::int64_t unix_seconds) {
    return platform::file_time_from_unix_seconds(unix_seconds);
}

TEST(ParseResetTimestamp, ReadsRfc3339TheWayTheEndpointWritesIt) {
    const struct {
        const char* text;
        std::optional<platform::FileTime> expected;
    } cases[] = {
        {"2025-03-01T05:00:00.123456+00:00", at(1740805200)},
        {"2025-03-01T05:00:00Z", at(1740805200)},
        {"2025-03-01T05:00:00", at(1740805200)},
        {"1970-01-01T00:00:00Z", at(0)},
        {"2024-02-29T00:00:00Z", at(1709164800)},
        {"2025-02-30T00:00:00Z", at(1740873600)},  // not checked against the month: 2 March
        {"2025-12-31T23:59:60Z", at(1767225600)},  // a leap second reads as the next second
        {"2025-01-01T10:00:00+05:00", at(1735725600 - 5 * 3600)},
        {"2025-01-01T10:00:00-05:00", at(1735725600 + 5 * 3600)},
        {"2025-01-01T10:00:00.5-05:00", at(1735725600 + 5 * 3600)},
        {"2025-01-01T10:00:00+0530", at(1735725600 - 5 * 3600 - 30 * 60)},
        {"2025-01-01T10:00:00+05", at(1735725600 - 5 * 3600)},
        {"2025-01-01 00:00:00", std::nullopt},
        {"2025-01-01T10:00:00+5:00", std::nullopt},
        {"2025-01-01T10:00:00+25:00", std::nullopt},
        {"1969-12-31T23:59:59Z", std::nullopt},
        {"10000-01-01T00:00:00Z", std::nullopt},
        {"2025-13-01T00:00:00Z", std::nullopt},
        {"2025-00-01T00:00:00Z", std::nullopt},
        {"2025-01-32T00:00:00Z", std::nullopt},
        {"2025-01-01T24:00:00Z", std::nullopt},
        {"2025-01-01T10:60:00Z", std::nullopt},
        {"2025-01-01T10:00:61Z", std::nullopt},
        {"2025-01-01T10:00Z", std::nullopt},
        {"2025-01-01T10:00:00:00Z", std::nullopt},
        {"2025-01T10:00:00Z", std::nullopt},
        {"2025-01-01-01T10:00:00Z", std::nullopt},
        {"2025-0a-01T10:00:00Z", std::nullopt},
        {"-2025-01-01T10:00:00Z", std::nullopt},
        {"", std::nullopt},
        {"T", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(poller::parse_reset_timestamp(std::string_view(c.text)), c.expected) << c.text;
    }
    EXPECT_EQ(poller::parse_reset_timestamp(std::nullopt), std::nullopt);
}

TEST(RetryAfter, TakesSecondsOrAnHttpDateAndCapsTheWait) {
    const platform::FileTime now = *at(1735707600);
    EXPECT_EQ(poller::retry_after_instant("120", now), at(1735707600 + 120));
    EXPECT_EQ(poller::retry_after_instant("0", now), now);
    EXPECT_EQ(poller::retry_after_instant("Wed, 01 Jan 2025 06:00:00 GMT", now), at(1735707600 + 3600));
    EXPECT_EQ(poller::retry_after_instant("99999999999", now), now + poller::MAX_COOLDOWN);
    EXPECT_FALSE(poller::retry_after_instant("-1", now));
    EXPECT_FALSE(poller::retry_after_instant("soon", now));
    EXPECT_FALSE(poller::retry_after_instant("Wed, 01 Foo 2025 05:00:00 GMT", now));
}

TEST(UsageCooldowns, EndAtTheirInstant) {
    poller::UsageCooldowns cooldowns;
    const platform::FileTime now = *at(1000);
    cooldowns.start("a", now + 10);
    EXPECT_EQ(cooldowns.active("a", now), now + 10);
    EXPECT_FALSE(cooldowns.active("b", now));
    EXPECT_FALSE(cooldowns.active("a", now + 10));
    EXPECT_FALSE(cooldowns.active("a", now)) << "an ended cool-down is forgotten";
}

}  // namespace

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>
#include <string>

#include "localization/string_table.hpp"
#include "localization/value_format.hpp"

namespace {

using localization::Language;
using platform::FileTime;

constexpr FileTime SECOND = platform::FILETIME_TICKS_PER_SECOND;

// Calendar fields of a Unix second count (proleptic Gregorian), for a zone `offset` seconds east.
platform::LocalTime civil(std::int64_t unix_seconds) {
    std::int64_t days = unix_seconds / 86400;
    std::int64_t rest = unix_seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    const std::int64_t weekday = ((days % 7) + 11) % 7;  // 1970-01-01 was a Thursday
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t day = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    return {static_cast<std::int32_t>(year),        static_cast<std::int32_t>(month),
            static_cast<std::int32_t>(day),         static_cast<std::int32_t>(weekday),
            static_cast<std::int32_t>(rest / 3600), static_cast<std::int32_t>(rest % 3600 / 60),
            static_cast<std::int32_t>(rest % 60)};
}

std::int64_t signed_seconds(FileTime t) {
    return (static_cast<std::int64_t>(t) - static_cast<std::int64_t>(platform::FILETIME_UNIX_EPOCH)) /
           static_cast<std::int64_t>(SECOND);
}

template <int OFFSET_HOURS>
std::optional<platform::LocalTime> zone(FileTime utc) noexcept {
    return civil(signed_seconds(utc) + OFFSET_HOURS * 3600);
}

std::optional<platform::LocalTime> failing(FileTime) noexcept {
    return std::nullopt;
}

FileTime at(std::int64_t unix_seconds) {
    return platform::file_time_from_unix_seconds(unix_seconds);
}

constexpr std::int64_t XMAS_1300 = 1766667600;  // 2025-12-25 13:00:00 UTC, a Thursday

TEST(FormatPercent, RoundsHalvesToEvenWithinZeroToThreeDigits) {
    const double inf = std::numeric_limits<double>::infinity();
    const std::pair<double, const char*> cases[] = {
        {0.0, "0%"},     {0.5, "0%"},      {1.5, "2%"},     {2.5, "2%"},     {42.5, "42%"},
        {43.5, "44%"},   {99.6, "100%"},   {104.2, "104%"}, {37.4, "37%"},   {0.49999999999999994, "0%"},
        {100.0, "100%"}, {-0.3, "0%"},     {-2.5, "0%"},    {999.4, "999%"}, {999.5, ">999%"},
        {1e6, ">999%"},  {1e308, ">999%"}, {inf, ">999%"},  {-inf, "0%"},    {std::nan(""), "0%"},
    };
    for (const auto& [value, expected] : cases) {
        EXPECT_EQ(localization::format_percent(value), expected) << value;
    }
    // The same whatever rounding mode the thread is in.
    const int mode = std::fegetround();
    for (const int other : {FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        std::fesetround(other);
        for (const auto& [value, expected] : cases) {
            EXPECT_EQ(localization::format_percent(value), expected) << value << " in mode " << other;
        }
    }
    std::fesetround(mode);
}

TEST(FormatCountdown, ShowsTheTwoLargestGroups) {
    const auto& en = localization::string_table(Language::English);
    const std::pair<std::int64_t, const char*> cases[] = {
        {86400, "1d"},
        {86399, "23h 59m"},
        {3600, "1h"},
        {3599, "59m"},
        {60, "1m"},
        {59, "59s"},
        {0, "0s"},
        {90061, "1d 1h"},
        {2 * 86400, "2d"},
        {2 * 86400 + 3 * 3600 + 59 * 60, "2d 3h"},
        {4 * 3600 + 12 * 60 + 30, "4h 12m"},
        {5 * 3600 + 59, "5h"},
        {7, "7s"},
        {400 * 86400, "400d"},
    };
    const FileTime now = at(XMAS_1300);
    for (const auto& [seconds, expected] : cases) {
        EXPECT_EQ(localization::format_countdown(now + static_cast<FileTime>(seconds) * SECOND, now, en),
                  expected)
            << seconds;
    }
    // Fractions are dropped, and anything before now is "now".
    EXPECT_EQ(localization::format_countdown(now + 60 * SECOND - 1, now, en), "59s");
    EXPECT_EQ(localization::format_countdown(now - 1, now, en), "now");
}

TEST(FormatCountdown, UsesTheLanguagesUnits) {
    const FileTime now = at(XMAS_1300);
    EXPECT_EQ(localization::format_countdown(now + 93600 * SECOND, now,
                                             localization::string_table(Language::Korean)),
              "1일 2시간");
    EXPECT_EQ(localization::format_countdown(now + (3 * 86400 + 4 * 3600) * SECOND, now,
                                             localization::string_table(Language::German)),
              "3T 4h");
    EXPECT_EQ(localization::format_countdown(now - SECOND, now, localization::string_table(Language::French)),
              "maintenant");
}

TEST(FormatUsageValue, CompleteTexts) {
    const auto& en = localization::string_table(Language::English);
    struct Case {
        double percent;
        std::optional<std::int64_t> reset;  // Unix seconds
        std::int64_t now;
        const char* expected;
    };
    const std::int64_t xmas_0900 = XMAS_1300 - 4 * 3600;
    const Case cases[] = {
        {37.0, XMAS_1300 + 2 * 3600 + 5 * 60, XMAS_1300, "37% \u00B7 2h 5m (3:05pm)"},
        {80.0, xmas_0900, xmas_0900 - (3 * 86400 + 4 * 3600), "80% \u00B7 3d 4h (12/25 Thu 9am)"},
        {12.0, XMAS_1300 - 1, XMAS_1300, "12% \u00B7 now"},
        {0.0, std::nullopt, XMAS_1300, "0%"},
        {100.0, XMAS_1300 + 2 * 3600 + 5 * 60, XMAS_1300 + 2 * 3600 + 4 * 60 + 15,
         "100% \u00B7 45s (3:05pm)"},
        // Midnight tonight already is tomorrow's date.
        {5.0, XMAS_1300 + 11 * 3600, XMAS_1300, "5% \u00B7 11h (12/26 Fri 12am)"},
        {5.0, XMAS_1300 + 23 * 3600 + 30 * 60, XMAS_1300, "5% \u00B7 23h 30m (12/26 Fri 12:30pm)"},
        {5.0, XMAS_1300 - 13 * 3600 + 30 * 60, XMAS_1300 - 13 * 3600, "5% \u00B7 30m (12:30am)"},
        {5.0, XMAS_1300 - 1 * 3600, XMAS_1300 - 2 * 3600, "5% \u00B7 1h (12pm)"},
        {5.0, XMAS_1300 + 10 * 3600 + 59 * 60, XMAS_1300, "5% \u00B7 10h 59m (11:59pm)"},
        {5.0, XMAS_1300 + 3 * 86400, XMAS_1300, "5% \u00B7 3d (12/28 Sun 1pm)"},
        {5.0, XMAS_1300, XMAS_1300, "5% \u00B7 0s (1pm)"},
    };
    for (const Case& c : cases) {
        const poller::UsageBar bar{c.percent, c.reset ? std::optional(at(*c.reset)) : std::nullopt};
        EXPECT_EQ(localization::format_usage_value(bar, en, at(c.now), zone<0>), c.expected) << c.expected;
    }
}

TEST(FormatUsageValue, TheClockIsLocalAndTruncatedToTheSecond) {
    const auto& en = localization::string_table(Language::English);
    // 22:00 local on the 25th in UTC+9; the reset at 01:00 local is on the 26th.
    EXPECT_EQ(localization::format_usage_value({50.0, at(XMAS_1300 + 3 * 3600)}, en, at(XMAS_1300), zone<9>),
              "50% \u00B7 3h (12/26 Fri 1am)");
    // One tick short of 15:05:00 is still 3:04pm.
    const FileTime reset = at(XMAS_1300 + 2 * 3600 + 5 * 60) - 1;
    EXPECT_EQ(localization::format_usage_value({50.0, reset}, en, at(XMAS_1300), zone<0>),
              "50% \u00B7 2h 4m (3:04pm)");
}

TEST(FormatUsageValue, AResetMoreThan400DaysAwayCountsAsAbsent) {
    const auto& strings = localization::string_table(Language::English);
    const FileTime now = at(XMAS_1300);
    const struct {
        FileTime reset;
        bool shown;
    } cases[] = {
        {now + 400 * 86400 * SECOND, true},
        {now + 401 * 86400 * SECOND, false},
        {at(253402300799), false},  // 9999-12-31
    };
    for (const auto& c : cases) {
        const std::string text =
            localization::format_usage_value(poller::UsageBar{37.0, c.reset}, strings, now, zone<0>);
        EXPECT_EQ(text != "37%", c.shown) << text;
    }
}

TEST(FormatUsageValue, NoClockWhenItCannotBeShown) {
    const auto& en = localization::string_table(Language::English);
    const FileTime now = at(XMAS_1300);
    EXPECT_EQ(localization::format_usage_value({1.0, now + 60 * SECOND}, en, now, failing), "1% \u00B7 1m");
    // Before 1970: a countdown, never a clock.
    const FileTime old_now = at(-10 * 86400);
    EXPECT_EQ(localization::format_usage_value({1.0, old_now + 86400 * SECOND}, en, old_now, zone<0>),
              "1% \u00B7 1d");
    EXPECT_EQ(localization::format_reset_clock(0, 0, zone<0>), "");
}

TEST(Tooltip, Formats) {
    EXPECT_EQ(localization::usage_tooltip("Claude Code", "a@b.c", "37% \u00B7 2h 5m (3:05pm)", "5%"),
              "Claude Code \u2014 a@b.c | 5h: 37% \u00B7 2h 5m (3:05pm) | 7d: 5%");
    EXPECT_EQ(localization::account_tooltip("Codex", "codex-2"), "Codex \u2014 codex-2");
}

TEST(Tooltip, CutsAt127Utf16UnitsWithoutSplittingAPair) {
    const std::string emoji = "\U0001F600";  // two UTF-16 units, four UTF-8 bytes
    struct Case {
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {std::string(200, 'a'), std::string(127, 'a')},
        {std::string(127, 'a'), std::string(127, 'a')},
        {std::string(126, 'a') + emoji, std::string(126, 'a')},
        {std::string(125, 'a') + emoji + "b", std::string(125, 'a') + emoji},
        {std::string(126, 'a') + "\u2014xyz", std::string(126, 'a') + "\u2014"},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(localization::cut_to_utf16_units(c.text), c.expected) << c.text.size();
    }
}

}  // namespace

#include <gtest/gtest.h>

#include "poller/pace.hpp"

namespace {

using platform::FileTime;
using poller::Pace;
using poller::UsageBar;

constexpr FileTime SECOND = platform::FILETIME_TICKS_PER_SECOND;
constexpr FileTime HOUR = 3600 * SECOND;
constexpr FileTime RESET = platform::FILETIME_UNIX_EPOCH + 1'800'000'000ULL * SECOND;

TEST(Pace, ExpectedShareAndRunOutAcrossTheFiveHourWindow) {
    struct Case {
        const char* name;
        double percent;
        FileTime before_reset;  // how long before the reset "now" is
        double expected;
        std::optional<FileTime> runs_out_before_reset;
    };
    const Case cases[] = {
        {"start, nothing used", 0.0, 5 * HOUR, 0.0, std::nullopt},
        {"start, some used: no rate yet", 10.0, 5 * HOUR, 0.0, std::nullopt},
        {"before the window opened", 10.0, 6 * HOUR, 0.0, std::nullopt},
        {"middle, on pace", 50.0, 2 * HOUR + HOUR / 2, 50.0, std::nullopt},
        {"middle, behind pace", 20.0, 2 * HOUR + HOUR / 2, 50.0, std::nullopt},
        // 1 h in at 40 %: full after 2.5 h, 2.5 h before the reset.
        {"one hour in, ahead", 40.0, 4 * HOUR, 20.0, 2 * HOUR + HOUR / 2},
        // 4 h in at 90 %: full after 4 h 26 min 40 s, 33 min 20 s before the reset.
        {"late and ahead", 90.0, HOUR, 80.0, 33 * 60 * SECOND + 20 * SECOND},
        {"exactly on pace late in the window", 60.0, 2 * HOUR, 60.0, std::nullopt},
        {"share 0 at the middle", 0.0, 2 * HOUR + HOUR / 2, 50.0, std::nullopt},
        {"share 100: already reached", 100.0, 2 * HOUR, 60.0, std::nullopt},
        {"end of the window", 99.0, 0, 100.0, std::nullopt},
        {"past the reset", 30.0, 0, 100.0, std::nullopt},
    };
    for (const auto& c : cases) {
        const FileTime now = RESET - c.before_reset;
        const auto pace = poller::pace_of(UsageBar{c.percent, RESET}, poller::FIVE_HOUR_WINDOW, now);
        ASSERT_TRUE(pace) << c.name;
        EXPECT_DOUBLE_EQ(pace->expected_percent, c.expected) << c.name;
        const std::optional<FileTime> want = c.runs_out_before_reset
                                                 ? std::optional<FileTime>(RESET - *c.runs_out_before_reset)
                                                 : std::nullopt;
        EXPECT_EQ(pace->runs_out_at, want) << c.name;
    }
    EXPECT_EQ(
        poller::pace_of(UsageBar{30.0, RESET}, poller::FIVE_HOUR_WINDOW, RESET + HOUR)->expected_percent,
        100.0);
}

TEST(Pace, NothingWithoutAUsableResetTime) {
    EXPECT_FALSE(poller::pace_of(UsageBar{50.0, std::nullopt}, poller::FIVE_HOUR_WINDOW, RESET));
    EXPECT_FALSE(poller::pace_of(UsageBar{50.0, HOUR}, poller::FIVE_HOUR_WINDOW, RESET))
        << "before one window";
}

TEST(Pace, WeeklyAndModelBarsUseSevenDays) {
    poller::UsageData usage;
    const FileTime now = RESET - 3 * 86400 * SECOND - HOUR * 12;  // 3.5 of 7 days passed
    usage.seven_day = UsageBar{70.0, RESET};
    usage.model_bars.push_back({"7d-O", UsageBar{10.0, RESET}});
    usage.five_hour = UsageBar{5.0, RESET - 3 * 86400 * SECOND - HOUR * 10};  // 2 of 5 hours passed
    EXPECT_DOUBLE_EQ(poller::seven_day_pace(usage, now)->expected_percent, 50.0);
    EXPECT_DOUBLE_EQ(poller::model_pace(usage.model_bars[0], now)->expected_percent, 50.0);
    EXPECT_DOUBLE_EQ(poller::five_hour_pace(usage, now)->expected_percent, 60.0);
    // 3.5 days at 70 %: full after 5 days, two days before the weekly reset.
    EXPECT_EQ(poller::earliest_run_out(usage, now), RESET - 2 * 86400 * SECOND);
    usage.seven_day.percent = 40.0;
    EXPECT_EQ(poller::earliest_run_out(usage, now), std::nullopt);
}

}  // namespace

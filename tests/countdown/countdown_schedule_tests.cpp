#include <gtest/gtest.h>

#include "window/countdown_schedule.hpp"

namespace {

using platform::FileTime;
using window::CountdownTimers;

constexpr FileTime NOW = 134100000000000000ULL;
constexpr FileTime SECOND = platform::FILETIME_TICKS_PER_SECOND;

poller::UsageSnapshot with_resets(std::optional<FileTime> five, std::optional<FileTime> seven,
                                  std::optional<FileTime> model = std::nullopt) {
    poller::UsageData data;
    data.five_hour.resets_at = five;
    data.seven_day.resets_at = seven;
    if (model) {
        data.model_bars.push_back({"Opus", {10.0, model}});
    }
    return {"claude-1", std::nullopt, data, accounts::Provider::Claude};
}

FileTime in(std::int64_t seconds) {
    return static_cast<FileTime>(static_cast<std::int64_t>(NOW) +
                                 seconds * static_cast<std::int64_t>(SECOND));
}

TEST(CountdownSchedule, BeforeTheFirstPollBothTimersStop) {
    EXPECT_EQ(window::plan_countdown_timers(false, {with_resets(in(5), in(5))}, NOW),
              (CountdownTimers{true, std::nullopt, std::nullopt}));
    EXPECT_EQ(window::plan_countdown_timers(true, {}, NOW), CountdownTimers{})
        << "empty usage changes nothing";
}

TEST(CountdownSchedule, WakesOneSecondAfterTheNextDisplayedChange) {
    struct Case {
        std::vector<poller::UsageSnapshot> usage;
        std::optional<std::uint32_t> countdown, retry;
    };
    const poller::UsageSnapshot failed{"codex-1", std::nullopt, std::nullopt, accounts::Provider::Codex};
    const Case cases[] = {
        {{with_resets(in(30), std::nullopt)}, 1000, std::nullopt},   // seconds tick
        {{with_resets(in(125), std::nullopt)}, 6000, std::nullopt},  // 2m -> next minute in 5 s
        {{with_resets(in(120), std::nullopt)}, 1000, std::nullopt},
        {{with_resets(in(86400 + 1800), std::nullopt)}, 1801000, std::nullopt},      // hours beyond a day
        {{with_resets(in(86399), std::nullopt)}, 60000, std::nullopt},               // 59 + 1 seconds
        {{with_resets(in(3 * 3600 + 61), in(86400 * 3 + 10))}, 2000, std::nullopt},  // smallest over all bars
        {{with_resets(in(86400 * 3 + 10), std::nullopt, in(45))}, 1000, std::nullopt},  // model bars count
        {{with_resets(std::nullopt, std::nullopt), failed}, 60000, std::nullopt},       // nothing counts down
        {{with_resets(in(0), in(600))}, 1000, 5000},                                    // reached exactly now
        {{with_resets(in(-1), std::nullopt), with_resets(in(-100), std::nullopt)}, 60000, 5000},
        {{with_resets(NOW + SECOND / 2, std::nullopt)}, 1000, std::nullopt},  // under a second left
    };
    for (const Case& c : cases) {
        const CountdownTimers plan = window::plan_countdown_timers(true, c.usage, NOW);
        EXPECT_FALSE(plan.kill_countdown_and_retry);
        EXPECT_EQ(plan.countdown_ms, c.countdown);
        EXPECT_EQ(plan.retry_poll_ms, c.retry);
    }
}

// A tick that would draw the same texts is skipped, so the key must change exactly when one
// displayed value does: 2h 05m stays until the minute turns, seconds count under a minute.
TEST(CountdownDisplayKey, ChangesExactlyWhenADisplayedValueChanges) {
    const std::vector<poller::UsageSnapshot> usage{with_resets(in(7530), in(86400 * 2 + 30))};
    const auto key_at = [&usage](std::int64_t offset) {
        return window::countdown_display_key(usage, in(offset));
    };
    EXPECT_EQ(key_at(0), key_at(29)) << "7530 s and 7501 s both show 2h 05m";
    EXPECT_NE(key_at(29), key_at(31)) << "7499 s shows 2h 04m";
    const std::vector<poller::UsageSnapshot> seconds{with_resets(in(40), std::nullopt)};
    EXPECT_NE(window::countdown_display_key(seconds, NOW), window::countdown_display_key(seconds, in(1)));
    EXPECT_EQ(window::countdown_display_key(seconds, in(41)), window::countdown_display_key(seconds, in(90)))
        << "a passed reset shows the same at any later time";
    EXPECT_NE(window::countdown_display_key(usage, NOW), window::countdown_display_key(seconds, NOW));
}

}  // namespace

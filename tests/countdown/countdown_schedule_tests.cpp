#include <gtest/gtest.h>

#include "window/countdown_schedule.hpp"
#include "window/repoll_plan.hpp"

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
        std::optional<std::uint32_t> countdown;
        std::optional<FileTime> passed;
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
        {{with_resets(in(0), in(600))}, 1000, in(0)},                                   // reached exactly now
        {{with_resets(in(-100), std::nullopt), with_resets(in(-1), in(-200))}, 60000, in(-1)},  // the latest
        {{with_resets(NOW + SECOND / 2, std::nullopt)}, 1000, std::nullopt},  // under a second left
    };
    for (const Case& c : cases) {
        const CountdownTimers plan = window::plan_countdown_timers(true, c.usage, NOW);
        EXPECT_FALSE(plan.kill_countdown_and_retry);
        EXPECT_EQ(plan.countdown_ms, c.countdown);
        EXPECT_EQ(plan.passed_reset, c.passed);
    }
}

// A passed reset is re-polled after 5, 10, 20 and 40 s, then left to the regular poll until a
// reading shows none, or a later one passes.
TEST(RepollPlan, ThinsOutAndStartsAgainOnlyForANewPassedReset) {
    using window::RepollTimer;
    constexpr RepollTimer KEEP{};
    constexpr RepollTimer STOP{true, std::nullopt};
    const auto arm = [](std::uint32_t ms) { return RepollTimer{false, ms}; };
    struct Step {
        const char* what;
        std::optional<FileTime> passed;  // readings planned (nothing: the timer went off)
        bool fired;
        RepollTimer expected;
    };
    const Step steps[] = {
        {"nothing passed", std::nullopt, false, STOP},
        {"a reset passes", in(-1), false, arm(5000)},
        {"countdown ticks change nothing", in(-1), false, KEEP},
        {"first re-poll", std::nullopt, true, arm(10000)},
        {"its reading still shows the passed reset", in(-1), false, KEEP},
        {"second", std::nullopt, true, arm(20000)},
        {"third", std::nullopt, true, arm(40000)},
        {"fourth, then only the regular poll", std::nullopt, true, STOP},
        {"regular poll, still passed", in(-1), false, KEEP},
        {"an earlier passed reset starts nothing", in(-50), false, KEEP},
        {"a later reset passes", in(-0), false, arm(5000)},
        {"re-poll for it", std::nullopt, true, arm(10000)},
        {"a fresh reading", std::nullopt, false, STOP},
        {"the same reset again starts a new plan", in(-1), false, arm(5000)},
    };
    window::RepollPlan plan;
    for (const Step& step : steps) {
        const RepollTimer timer = step.fired ? plan.on_fired() : plan.on_readings(step.passed);
        EXPECT_EQ(timer, step.expected) << step.what;
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

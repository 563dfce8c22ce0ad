// The stand-in's readings must be what the program reads: each answer goes through the program's
// own decoders, at instants across window boundaries, and the bars must move with the clock.
#include <gtest/gtest.h>

#include <variant>

#include "demo_readings.hpp"
#include "platform/clock.hpp"
#include "poller/claude_usage_response.hpp"
#include "poller/codex_usage.hpp"
#include "strict_json/strict_json.hpp"

namespace demo {
namespace {

constexpr UsageProfile PROFILE{2 * 3600, 80.0, 10.0, 70.0};
// 2026-12-08T08:00:00Z, and instants around its windows' ends.
constexpr std::int64_t BASE = 1796716800;

std::int64_t reset_seconds(const poller::UsageBar& bar) {
    return static_cast<std::int64_t>(platform::unix_seconds(bar.resets_at.value()));
}

strict_json::Json parsed(const std::string& body) {
    auto json = strict_json::parse(body);
    EXPECT_TRUE(std::holds_alternative<strict_json::Json>(json)) << body;
    return std::get<strict_json::Json>(std::move(json));
}

TEST(DemoReadings, AnswersDecodeToTheReadingAtEveryInstant) {
    for (const std::int64_t at :
         {BASE, BASE + 1, BASE + FIVE_HOURS - 1, BASE + FIVE_HOURS, BASE + SEVEN_DAYS / 2}) {
        SCOPED_TRACE(rfc3339(at));
        const Reading reading = reading_at(PROFILE, at);
        EXPECT_GT(reading.five_hour.resets_at, at);
        EXPECT_LE(reading.five_hour.resets_at, at + FIVE_HOURS);
        EXPECT_GT(reading.seven_day.resets_at, at);
        EXPECT_LE(reading.seven_day.resets_at, at + SEVEN_DAYS);
        EXPECT_GE(reading.five_hour.percent, 0.0);
        EXPECT_LE(reading.five_hour.percent, PROFILE.five_hour_peak);
        EXPECT_GE(reading.seven_day.percent, PROFILE.seven_day_start);
        EXPECT_LE(reading.seven_day.percent, PROFILE.seven_day_peak);

        const auto claude = poller::decode_usage_response(parsed(claude_usage_body(reading, true)));
        ASSERT_TRUE(std::holds_alternative<poller::UsageResponse>(claude));
        const auto usage = poller::usage_from_response(std::get<poller::UsageResponse>(claude));
        EXPECT_DOUBLE_EQ(usage.five_hour.percent, reading.five_hour.percent);
        EXPECT_EQ(reset_seconds(usage.five_hour), reading.five_hour.resets_at);
        EXPECT_EQ(reset_seconds(usage.seven_day), reading.seven_day.resets_at);
        ASSERT_EQ(usage.model_bars.size(), 2u);
        EXPECT_EQ(usage.model_bars[0].label, "Opus");
        EXPECT_EQ(usage.model_bars[1].label, "Sonnet");

        const auto plain = poller::decode_usage_response(parsed(claude_usage_body(reading, false)));
        ASSERT_TRUE(std::holds_alternative<poller::UsageResponse>(plain));
        EXPECT_TRUE(poller::usage_from_response(std::get<poller::UsageResponse>(plain)).model_bars.empty());

        const auto codex = poller::codex_usage_from_body(parsed(codex_usage_body(reading)));
        ASSERT_TRUE(std::holds_alternative<std::optional<poller::UsageData>>(codex));
        const auto& codex_usage = std::get<std::optional<poller::UsageData>>(codex);
        ASSERT_TRUE(codex_usage.has_value());
        EXPECT_DOUBLE_EQ(codex_usage->seven_day.percent, reading.seven_day.percent);
        EXPECT_EQ(reset_seconds(codex_usage->five_hour), reading.five_hour.resets_at);
    }
}

TEST(DemoReadings, BarsGrowWithinAWindowAndEmptyWhenItResets) {
    const Reading start = reading_at(PROFILE, BASE);
    const std::int64_t before_reset = start.five_hour.resets_at - 1;
    const Reading late = reading_at(PROFILE, before_reset);
    const Reading after = reading_at(PROFILE, start.five_hour.resets_at);
    EXPECT_GT(late.five_hour.percent, start.five_hour.percent);
    EXPECT_EQ(late.five_hour.resets_at, start.five_hour.resets_at);
    EXPECT_LT(after.five_hour.percent, late.five_hour.percent);
    EXPECT_EQ(after.five_hour.resets_at, start.five_hour.resets_at + FIVE_HOURS);
    // A minute later the countdown has moved by a minute.
    EXPECT_EQ(reading_at(PROFILE, BASE + 60).five_hour.resets_at, start.five_hour.resets_at);
}

TEST(DemoReadings, MessagesHeadersCarryFractionsAndUnixResets) {
    const Reading reading{{37.5, BASE + 100}, {62.0, BASE + 200}};
    const auto headers = messages_headers(reading);
    const auto value = [&](const std::string& name) {
        for (const auto& [key, text] : headers) {
            if (key == name) {
                return text;
            }
        }
        return std::string("(missing)");
    };
    EXPECT_EQ(value("anthropic-ratelimit-unified-5h-utilization"), "0.375");
    EXPECT_EQ(value("anthropic-ratelimit-unified-7d-utilization"), "0.62");
    EXPECT_EQ(value("anthropic-ratelimit-unified-5h-reset"), std::to_string(BASE + 100));
    EXPECT_EQ(value("anthropic-ratelimit-unified-7d-reset"), std::to_string(BASE + 200));
    EXPECT_EQ(rfc3339(BASE), "2026-12-08T08:00:00Z");
    EXPECT_EQ(rfc3339(951782400), "2000-02-29T00:00:00Z");
}

}  // namespace
}  // namespace demo

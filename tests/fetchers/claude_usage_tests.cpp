#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "log_capture.hpp"
#include "poller/claude_usage.hpp"
#include "provider_answers.hpp"
#include "scripted_server.hpp"

namespace {

using poller::FetchFailure;
using poller::ModelBar;
using poller::UsageBar;
using poller::UsageData;
using test_http::Reply;

constexpr platform::FileTime at(std::int64_t unix_seconds) {
    return platform::file_time_from_unix_seconds(unix_seconds);
}

platform::FileTime g_now = at(1767225600);
platform::FileTime test_now() {
    return g_now;
}

constexpr const char* MESSAGES = "/v1/messages";
constexpr const char* USAGE = "/api/oauth/usage";

const test_http::Headers MESSAGES_HEADERS = {
    {"anthropic-ratelimit-unified-5h-utilization", "0.25"},
    {"anthropic-ratelimit-unified-7d-utilization", "0.5"},
    {"anthropic-ratelimit-unified-5h-reset", "1767240000"},
    {"anthropic-ratelimit-unified-7d-reset", "1767800000"},
};

const char* const LIMITS_BODY = R"({
  "five_hour": {"utilization": 12.5, "resets_at": "2026-01-01T05:00:00.000000+00:00"},
  "seven_day": {"utilization": 40, "resets_at": "2026-01-05T00:00:00Z"},
  "seven_day_opus": {"utilization": 99, "resets_at": null},
  "limits": [
    {"kind": "weekly_scoped", "percent": 30.5, "resets_at": "2026-01-06T00:00:00Z",
     "scope": {"model": {"display_name": "Sonnet"}}},
    {"kind": "weekly_scoped", "scope": {"model": {"display_name": "Opus"}}},
    {"kind": "Weekly_Scoped", "percent": 1, "scope": {"model": {"display_name": "Haiku"}}},
    {"kind": "session", "percent": 5, "scope": {"model": {"display_name": "Sonnet"}}}
  ]
})";

class ClaudeUsage : public ::testing::Test {
  protected:
    // A server answering the usage request and Messages requests with these scripts.
    void serve(std::vector<Reply> usage, std::vector<Reply> messages = {}) {
        server_ = std::make_unique<test_fakes::ScriptedServer>();
        server_->script("GET", USAGE, std::move(usage));
        server_->script("POST", MESSAGES, std::move(messages));
        server_->start();
    }

    poller::FetchResult fetch(const std::filesystem::path& dir = "C:/Users/a/.claude") {
        poller::ClaudeFetchContext context;
        context.token = [](const std::filesystem::path&) {
            return std::optional<std::string>("sk-ant-oat01-x");
        };
        context.endpoints = server_->endpoints();
        context.cache = &cache_;
        context.cooldowns = &cooldowns_;
        context.retired_models = &retired_;
        context.now = test_now;
        return poller::fetch_claude_usage(dir, context);
    }

    std::size_t count(const char* path) const { return server_->requests(path).size(); }

    std::unique_ptr<test_fakes::ScriptedServer> server_;
    poller::WeeklyScopedCache cache_;
    poller::UsageCooldowns cooldowns_;
    poller::RetiredModels retired_;
};

UsageData usage_of(const poller::FetchResult& result) {
    static const UsageData none;
    EXPECT_TRUE(std::holds_alternative<UsageData>(result));
    return std::holds_alternative<UsageData>(result) ? std::get<UsageData>(result) : none;
}

TEST_F(ClaudeUsage, ReadsWindowsAndModelBarsFromLimitRows) {
    serve({Reply{200, {}, LIMITS_BODY}});
    const UsageData usage = usage_of(fetch());
    EXPECT_EQ(usage.five_hour, (UsageBar{12.5, at(1767243600)}));
    EXPECT_EQ(usage.seven_day, (UsageBar{40.0, at(1767571200)}));
    ASSERT_EQ(usage.model_bars.size(), 2u);
    EXPECT_EQ(usage.model_bars[0], (ModelBar{"Sonnet", UsageBar{30.5, at(1767657600)}}));
    EXPECT_EQ(usage.model_bars[1], (ModelBar{"Opus", UsageBar{0.0, std::nullopt}}));
    EXPECT_EQ(count(MESSAGES), 0u) << "both resets present: no Messages request";

    const auto request = server_->requests(USAGE).at(0);
    EXPECT_EQ(request.header("Authorization"), "Bearer sk-ant-oat01-x");
    EXPECT_EQ(request.header("anthropic-beta"), "oauth-2025-04-20");
    EXPECT_EQ(request.header("User-Agent"), "ureq/2.12.1");
}

TEST_F(ClaudeUsage, FallsBackToSonnetAndOpusBucketsOnlyWithoutAQualifyingRow) {
    serve({Reply{200, {}, R"({
        "five_hour": {"utilization": 1, "resets_at": "2026-01-01T05:00:00Z"},
        "seven_day": {"utilization": 2, "resets_at": "2026-01-05T00:00:00Z"},
        "seven_day_opus": {"utilization": 70},
        "seven_day_sonnet": {"utilization": 60, "resets_at": "2026-01-04T00:00:00Z"},
        "limits": [{"kind": "weekly_scoped", "percent": 5, "scope": {"model": {"display_name": null}}},
                   {"kind": "weekly_scoped", "percent": 5, "scope": {"model": null}},
                   {"kind": "weekly_scoped", "percent": 5}]})"}});
    const UsageData usage = usage_of(fetch());
    ASSERT_EQ(usage.model_bars.size(), 2u);
    EXPECT_EQ(usage.model_bars[0], (ModelBar{"7d-S", UsageBar{60.0, at(1767484800)}}));
    EXPECT_EQ(usage.model_bars[1], (ModelBar{"7d-O", UsageBar{70.0, std::nullopt}}));
}

// A window with usage but no reset gets its reset from one Messages reading; a window at 0 %
// without a reset has not started, and a Messages request would start it.
TEST_F(ClaudeUsage, OnlyARunningWindowWithoutAResetIsFilledFromOneMessagesReading) {
    struct Case {
        const char* body;
        UsageBar five_hour, seven_day;
        std::size_t messages;
    };
    const std::optional<platform::FileTime> none;
    const Case cases[] = {
        {R"({"five_hour": {"utilization": 2}, "seven_day": {"utilization": 3, "resets_at": "2026-01-05T00:00:00Z"}})",
         {2.0, at(1767240000)},
         {3.0, at(1767571200)},
         1},
        {R"({"five_hour": {"utilization": 2}, "seven_day": {"utilization": 3}})",
         {2.0, at(1767240000)},
         {3.0, at(1767800000)},
         1},
        {test_fakes::unstarted_five_hour_body(), {0.0, none}, {4.0, at(4071254400)}, 0},
        {R"({"five_hour": null, "seven_day": {"utilization": 3, "resets_at": "2026-01-05T00:00:00Z"}})",
         {0.0, none},
         {3.0, at(1767571200)},
         0},
        {R"({"five_hour": null, "seven_day": null})", {0.0, none}, {0.0, none}, 0},
        {R"({"five_hour": {"utilization": 5}, "seven_day": {"utilization": 0, "resets_at": null}})",
         {5.0, at(1767240000)},
         {0.0, none},
         1},
    };
    for (const Case& c : cases) {
        serve({Reply{200, {}, c.body}}, {Reply{200, MESSAGES_HEADERS, "{}"}});
        const UsageData usage = usage_of(fetch());
        EXPECT_EQ(usage.five_hour, c.five_hour) << c.body << ": only the reset instant is taken";
        EXPECT_EQ(usage.seven_day, c.seven_day) << c.body;
        EXPECT_EQ(count(MESSAGES), c.messages) << c.body;
    }
}

TEST_F(ClaudeUsage, UnusableAnswersFallBackToMessagesWithTheCachedModelBars) {
    const std::vector<Reply> unusable = {
        Reply{500, {}, "{}"},
        Reply{200, {}, "<html>not json</html>"},
        Reply{200, {}, R"({"five_hour": {"resets_at": "2026-01-01T05:00:00Z"}})"},
        Reply{200, {}, R"({"five_hour": {"utilization": 1}, "five_hour": {"utilization": 2}})"},
        Reply{200, {}, R"({"limits": [{"kind": "weekly_scoped", "kind": "weekly_scoped"}]})"},
        Reply{200, {}, R"({"limits": [{"kind": 5}]})"},
        Reply{200, {}, R"({"five_hour": {"utilization": 1, "resets_at": "2026-01-01T05:00:00Z"})"},
        Reply{200, {}, std::string(2 * 1024 * 1024, ' ')},
    };
    std::vector<Reply> usage = {Reply{200, {}, LIMITS_BODY}};
    usage.insert(usage.end(), unusable.begin(), unusable.end());
    serve(usage, std::vector<Reply>(unusable.size(), Reply{200, MESSAGES_HEADERS, "{}"}));
    const auto first = usage_of(fetch());
    for (std::size_t i = 0; i < unusable.size(); ++i) {
        const UsageData usage_now = usage_of(fetch());
        EXPECT_EQ(usage_now.five_hour, (UsageBar{25.0, at(1767240000)})) << i;
        EXPECT_EQ(usage_now.seven_day, (UsageBar{50.0, at(1767800000)})) << i;
        EXPECT_EQ(usage_now.model_bars, first.model_bars)
            << i << ": the cached bars with their earlier values";
    }
    EXPECT_EQ(count(MESSAGES), unusable.size());
}

// A success whose body breaks off or stalls is an unusable body, logged as one.
TEST_F(ClaudeUsage, ABodyCutShortOrStalledIsABodyErrorThatFallsBack) {
    Reply stalled{200, {}, LIMITS_BODY};
    stalled.stall_after = 10;
    Reply cut{200, {}, LIMITS_BODY};
    cut.cut_after = 10;
    serve({stalled, cut}, {Reply{200, MESSAGES_HEADERS, "{}"}, Reply{200, MESSAGES_HEADERS, "{}"}});
    for (int i = 0; i < 2; ++i) {
        const test_fakes::LogCapture log;
        EXPECT_EQ(usage_of(fetch()).five_hour.percent, 25.0) << i;
        const auto lines = log.lines();
        EXPECT_NE(std::find(lines.begin(), lines.end(),
                            "usage endpoint returned non-JSON; falling back to Messages API"),
                  lines.end())
            << log.text();
        EXPECT_EQ(log.text().find("transport error"), std::string::npos) << log.text();
    }
}

// Only the keys the reading uses count: a repeat of any other key leaves the answer whole.
TEST_F(ClaudeUsage, ARepeatedUnknownKeyKeepsTheReadingAndItsModelBars) {
    serve({Reply{200, {}, R"({"extra": 1, "extra": 2,
        "five_hour": {"utilization": 7, "resets_at": "2026-01-01T05:00:00Z", "x": [], "x": {}},
        "seven_day": {"utilization": 8, "resets_at": "2026-01-05T00:00:00Z"},
        "limits": [{"kind": "weekly_scoped", "percent": 9, "note": 1, "note": 2,
                    "scope": {"model": {"display_name": "Opus", "id": 1, "id": 2}}}]})"}});
    const UsageData usage = usage_of(fetch());
    EXPECT_EQ(usage.five_hour.percent, 7.0);
    ASSERT_EQ(usage.model_bars.size(), 1u);
    EXPECT_EQ(usage.model_bars[0].label, "Opus");
    EXPECT_EQ(count(MESSAGES), 0u);
}

TEST_F(ClaudeUsage, ARejectedTokenMakesNoMessagesRequestAndLeavesTheCache) {
    serve({Reply{200, {}, LIMITS_BODY}, Reply{401, {}, "{}"}, Reply{403, {}, "{}"}});
    const auto first = usage_of(fetch());
    EXPECT_EQ(fetch(), poller::FetchResult(FetchFailure::AuthRejected));
    EXPECT_EQ(fetch(), poller::FetchResult(FetchFailure::AuthRejected));
    EXPECT_EQ(count(MESSAGES), 0u);
    EXPECT_EQ(cache_.lookup("C:/Users/a/.claude"), first.model_bars);
}

TEST_F(ClaudeUsage, WhenBothFailTheFallbacksReasonIsTheResult) {
    serve({Reply{500, {}, "{}"}, Reply{500, {}, "{}"}},
          {Reply{401, {}, "{}"}, Reply{500, {}, "{}"}, Reply{500, {}, "{}"}});
    EXPECT_EQ(fetch(), poller::FetchResult(FetchFailure::AuthRejected));
    EXPECT_EQ(fetch(), poller::FetchResult(FetchFailure::Failed));
}

TEST_F(ClaudeUsage, NoTokenMeansFailedWithoutARequest) {
    serve({Reply{200, {}, LIMITS_BODY}});
    poller::ClaudeFetchContext context;
    context.token = [](const std::filesystem::path&) { return std::optional<std::string>(); };
    context.endpoints = server_->endpoints();
    context.cache = &cache_;
    EXPECT_EQ(poller::fetch_claude_usage("d", context), poller::FetchResult(FetchFailure::Failed));
    EXPECT_EQ(count(USAGE), 0u);
}

TEST_F(ClaudeUsage, A429WithRetryAfterSkipsTheUsageEndpointUntilThen) {
    serve({Reply{429, {{"Retry-After", "120"}}, "{}"}, Reply{200, {}, LIMITS_BODY}},
          std::vector<Reply>(3, Reply{200, MESSAGES_HEADERS, "{}"}));
    g_now = at(1767225600);
    EXPECT_EQ(usage_of(fetch()).five_hour.percent, 25.0);
    g_now = at(1767225600 + 60);
    EXPECT_EQ(usage_of(fetch()).five_hour.percent, 25.0);
    g_now = at(1767225600 + 119);
    EXPECT_EQ(usage_of(fetch()).five_hour.percent, 25.0);
    EXPECT_EQ(count(USAGE), 1u) << "no usage request during the cool-down";
    EXPECT_EQ(count(MESSAGES), 3u);
    g_now = at(1767225600 + 120);
    EXPECT_EQ(usage_of(fetch()).five_hour.percent, 12.5);
    EXPECT_EQ(count(USAGE), 2u);
    g_now = at(1767225600);
}

// A 429 without a usable wait leaves the usage endpoint alone for 5 minutes, then 10, 20, 40 and
// at most 60; the next answer starts the run again.
TEST_F(ClaudeUsage, A429WithoutAUsableWaitBacksOffUntilTheEndpointAnswers) {
    struct Poll {
        std::int64_t at_second;
        std::size_t usage_requests;  // after this poll
    };
    const Poll polls[] = {
        {0, 1},     {299, 1},   {300, 2},   {899, 2},    {900, 3},   {2099, 3},  {2100, 4},
        {4499, 4},  {4500, 5},  {8099, 5},  {8100, 6},   {11699, 6}, {11700, 7},  // capped at an hour
        {11701, 8}, {11702, 9}, {12001, 9}, {12002, 10},  // answered, then 5 min again
    };
    const char* const variants[] = {nullptr, "0", "-5", "soon", "Thu, 01 Jan 2026 00:00:00 GMT"};
    for (std::size_t v = 0; v < std::size(variants); ++v) {
        const char* const retry_after = variants[v];
        // Each variant its own account, so no back-off carries over.
        const std::string dir = "C:/Users/a/" + std::to_string(v);
        const Reply rejected = retry_after != nullptr ? test_fakes::rate_limited_without_wait(retry_after)
                                                      : Reply{429, {}, "{}"};
        std::vector<Reply> usage(6, rejected);
        usage.push_back(Reply{200, {}, LIMITS_BODY});
        usage.push_back(Reply{200, {}, LIMITS_BODY});
        usage.push_back(rejected);
        usage.push_back(rejected);
        serve(usage, std::vector<Reply>(20, Reply{200, MESSAGES_HEADERS, "{}"}));
        for (const Poll& poll : polls) {
            g_now = at(1767225600 + poll.at_second);
            EXPECT_TRUE(std::holds_alternative<UsageData>(fetch(dir)));
            EXPECT_EQ(count(USAGE), poll.usage_requests)
                << (retry_after != nullptr ? retry_after : "no Retry-After") << " at " << poll.at_second;
        }
    }
    g_now = at(1767225600);
}

TEST(ShortDirName, IsTheLastComponent) {
    EXPECT_EQ(poller::short_dir_name("C:/Users/a/.claude"), ".claude");
    EXPECT_EQ(poller::short_dir_name("C:/Users/a/accounts/claude-1/"), "claude-1");
    EXPECT_EQ(poller::short_dir_name(""), "?");
}

}  // namespace

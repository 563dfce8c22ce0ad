#include <gtest/gtest.h>

#include <memory>

#include "log_capture.hpp"
#include "poller/codex_usage.hpp"
#include "scripted_server.hpp"

namespace {

using poller::FetchFailure;
using poller::UsageBar;
using poller::UsageData;
using test_http::Reply;

constexpr platform::FileTime at(std::int64_t unix_seconds) {
    return platform::file_time_from_unix_seconds(unix_seconds);
}
constexpr const char* USAGE = "/backend-api/wham/usage";

std::unique_ptr<test_fakes::ScriptedServer> codex_server(std::vector<Reply> replies) {
    auto server = std::make_unique<test_fakes::ScriptedServer>();
    server->script("GET", USAGE, std::move(replies));
    server->start();
    return server;
}

TEST(CodexUsage, SendsTheTokenAndTheAccountIdOnlyWhenThere) {
    const char* body = R"({"plan_type": "plus", "rate_limit": {
        "primary_window": {"used_percent": 150, "reset_at": 1767243600, "limit_window_seconds": 18000},
        "secondary_window": {"used_percent": 7.5, "reset_at": -1}}})";
    const auto server = codex_server({Reply{200, {}, body}, Reply{200, {}, body}, Reply{200, {}, body}});
    const auto result = poller::fetch_codex_usage("tok", std::string("acct-1"), server->endpoints());
    ASSERT_TRUE(std::holds_alternative<UsageData>(result));
    EXPECT_EQ(std::get<UsageData>(result).five_hour, (UsageBar{150.0, at(1767243600)}));
    EXPECT_EQ(std::get<UsageData>(result).seven_day, (UsageBar{7.5, std::nullopt}));
    EXPECT_TRUE(std::get<UsageData>(result).model_bars.empty());
    (void)poller::fetch_codex_usage("tok", std::string(), server->endpoints());
    (void)poller::fetch_codex_usage("tok", std::nullopt, server->endpoints());

    const auto requests = server->requests(USAGE);
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].header("Authorization"), "Bearer tok");
    EXPECT_EQ(requests[0].header("User-Agent"), "codex-cli");
    EXPECT_EQ(requests[0].header("ChatGPT-Account-Id"), "acct-1");
    EXPECT_FALSE(requests[1].header("ChatGPT-Account-Id"));
    EXPECT_FALSE(requests[2].header("ChatGPT-Account-Id"));
}

TEST(CodexUsage, BodyShapes) {
    const struct {
        const char* name;
        const char* body;
        std::optional<UsageData> expected;  // nothing: Failed
    } cases[] = {
        {"empty object", "{}", std::nullopt},
        {"null rate_limit", R"({"rate_limit": null})", std::nullopt},
        {"empty rate_limit", R"({"rate_limit": {}})", UsageData{}},
        {"fractional reset", R"({"rate_limit": {"primary_window": {"used_percent": 1, "reset_at": 1.5}}})",
         std::nullopt},
        {"window without reset", R"({"rate_limit": {"primary_window": {"used_percent": 1}}})", std::nullopt},
        {"window without percent", R"({"rate_limit": {"secondary_window": {"reset_at": 1}}})", std::nullopt},
        {"percent as text", R"({"rate_limit": {"primary_window": {"used_percent": "1", "reset_at": 1}}})",
         std::nullopt},
        {"repeated key", R"({"rate_limit": {}, "rate_limit": {}})", std::nullopt},
        {"repeated window key",
         R"({"rate_limit": {"primary_window": {"used_percent": 1, "used_percent": 2, "reset_at": 1}}})",
         std::nullopt},
        {"repeated unknown keys",
         R"({"plan_type": "a", "plan_type": "b", "rate_limit": {"credits": 1, "credits": 2,
            "primary_window": {"used_percent": 3, "reset_at": 100, "x": 0, "x": 0}}})",
         UsageData{{}, UsageBar{3.0, at(100)}, UsageBar{}}},
        {"reset past the last instant",
         R"({"rate_limit": {"primary_window": {"used_percent": 5, "reset_at": 9223372036854775807}}})",
         UsageData{{}, UsageBar{5.0, std::nullopt}, UsageBar{}}},
        {"not JSON", "upstream error", std::nullopt},
        {"weekly window first",
         R"({"rate_limit": {"primary_window": {"used_percent": 40, "reset_at": 100, "limit_window_seconds": 604800}}})",
         UsageData{{}, UsageBar{}, UsageBar{40.0, at(100)}}},
        {"both windows swapped",
         R"({"rate_limit": {"primary_window": {"used_percent": 40, "reset_at": 100, "limit_window_seconds": 604800},
                            "secondary_window": {"used_percent": 4, "reset_at": 10, "limit_window_seconds": 18000}}})",
         UsageData{{}, UsageBar{4.0, at(10)}, UsageBar{40.0, at(100)}}},
        {"unknown length keeps the position",
         R"({"rate_limit": {"primary_window": {"used_percent": 40, "reset_at": 100, "limit_window_seconds": 3600}}})",
         UsageData{{}, UsageBar{40.0, at(100)}, UsageBar{}}},
        {"a one-hour window never becomes the seven-day bar",
         R"({"rate_limit": {"primary_window": {"used_percent": 60, "reset_at": 100, "limit_window_seconds": 3600},
                            "secondary_window": {"used_percent": 5, "reset_at": 10, "limit_window_seconds": 18000}}})",
         UsageData{{}, UsageBar{5.0, at(10)}, UsageBar{}}},
        {"a one-hour window never becomes the five-hour bar",
         R"({"rate_limit": {"primary_window": {"used_percent": 6, "reset_at": 10, "limit_window_seconds": 604800},
                            "secondary_window": {"used_percent": 60, "reset_at": 100, "limit_window_seconds": 3600}}})",
         UsageData{{}, UsageBar{}, UsageBar{6.0, at(10)}}},
        {"a window without a length takes the bar left free",
         R"({"rate_limit": {"primary_window": {"used_percent": 60, "reset_at": 100},
                            "secondary_window": {"used_percent": 5, "reset_at": 10, "limit_window_seconds": 18000}}})",
         UsageData{{}, UsageBar{5.0, at(10)}, UsageBar{60.0, at(100)}}},
        {"contradicting lengths keep the positions",
         R"({"rate_limit": {"primary_window": {"used_percent": 1, "reset_at": 1, "limit_window_seconds": 604800},
                            "secondary_window": {"used_percent": 2, "reset_at": 2, "limit_window_seconds": 604800}}})",
         UsageData{{}, UsageBar{1.0, at(1)}, UsageBar{2.0, at(2)}}},
    };
    for (const auto& c : cases) {
        const auto server = codex_server({Reply{200, {}, c.body}});
        const auto result = poller::fetch_codex_usage("tok", std::nullopt, server->endpoints());
        if (c.expected) {
            ASSERT_TRUE(std::holds_alternative<UsageData>(result)) << c.name;
            EXPECT_EQ(std::get<UsageData>(result), *c.expected) << c.name;
        } else {
            EXPECT_EQ(result, poller::FetchResult(FetchFailure::Failed)) << c.name;
        }
    }
}

// A success whose body breaks off or stalls is logged as an unusable body, not as a lost request.
TEST(CodexUsage, ABodyCutShortOrStalledIsABodyError) {
    const char* body = R"({"rate_limit": {"primary_window": {"used_percent": 1, "reset_at": 1}}})";
    Reply stalled{200, {}, body};
    stalled.stall_after = 10;
    Reply cut{200, {}, body};
    cut.cut_after = 10;
    const auto server = codex_server({stalled, cut});
    for (int i = 0; i < 2; ++i) {
        const test_fakes::LogCapture log;
        EXPECT_EQ(poller::fetch_codex_usage("tok", std::nullopt, server->endpoints()),
                  poller::FetchResult(FetchFailure::Failed));
        const auto lines = log.lines();
        ASSERT_EQ(lines.size(), 1u) << log.text();
        EXPECT_EQ(lines[0].rfind("unable to parse Codex usage response: response body incomplete: ", 0), 0u)
            << lines[0];
    }
}

TEST(CodexUsage, StatusClasses) {
    const auto server = codex_server(
        {Reply{401, {}, "{}"}, Reply{403, {}, "{}"}, Reply{500, {}, "{}"}, Reply{429, {}, "{}"}});
    EXPECT_EQ(poller::fetch_codex_usage("t", std::nullopt, server->endpoints()),
              poller::FetchResult(FetchFailure::AuthRejected));
    EXPECT_EQ(poller::fetch_codex_usage("t", std::nullopt, server->endpoints()),
              poller::FetchResult(FetchFailure::AuthRejected));
    EXPECT_EQ(poller::fetch_codex_usage("t", std::nullopt, server->endpoints()),
              poller::FetchResult(FetchFailure::Failed));
    EXPECT_EQ(poller::fetch_codex_usage("t", std::nullopt, server->endpoints()),
              poller::FetchResult(FetchFailure::Failed));
    EXPECT_EQ(poller::fetch_codex_usage("t", std::nullopt, test_fakes::unreachable_endpoints()),
              poller::FetchResult(FetchFailure::Failed));
}

}  // namespace

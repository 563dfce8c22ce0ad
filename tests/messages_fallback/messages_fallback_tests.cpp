#include <gtest/gtest.h>

#include <memory>

#include "poller/messages_fallback.hpp"
#include "poller/rate_limit_headers.hpp"
#include "provider_answers.hpp"
#include "scripted_server.hpp"

namespace {

using poller::FetchFailure;
using poller::UsageData;
using test_http::Reply;

constexpr platform::FileTime at_unix(std::int64_t seconds) {
    return platform::file_time_from_unix_seconds(seconds);
}

UsageData usage_of(const poller::FetchResult& result) {
    static const UsageData none;
    EXPECT_TRUE(std::holds_alternative<UsageData>(result));
    return std::holds_alternative<UsageData>(result) ? std::get<UsageData>(result) : none;
}

Reply with_headers(int status, test_http::Headers headers) {
    return Reply{status, std::move(headers), "{}"};
}

// A server whose Messages endpoint gives these answers in turn.
std::unique_ptr<test_fakes::ScriptedServer> messages_server(std::vector<Reply> replies) {
    auto server = std::make_unique<test_fakes::ScriptedServer>();
    server->script("POST", "/v1/messages", std::move(replies));
    server->start();
    return server;
}

TEST(MessagesFallback, SendsTheSmallestRequestAndReadsBothWindows) {
    const auto server =
        messages_server({with_headers(200, {
                                               {"anthropic-ratelimit-unified-5h-utilization", "0.42"},
                                               {"anthropic-ratelimit-unified-7d-utilization", "1.5"},
                                               {"anthropic-ratelimit-unified-5h-reset", "1767225600"},
                                               {"Anthropic-Ratelimit-Unified-7d-Reset", "1767830400"},
                                               {"anthropic-ratelimit-unified-status", "allowed"},
                                           })});
    const auto result = poller::fetch_usage_from_messages("sk-ant-oat01-token", server->endpoints());
    const UsageData usage = usage_of(result);
    EXPECT_NEAR(usage.five_hour.percent, 42.0, 1e-9);
    EXPECT_EQ(usage.seven_day.percent, 150.0) << "no clamping";
    EXPECT_EQ(usage.five_hour.resets_at, at_unix(1767225600));
    EXPECT_EQ(usage.seven_day.resets_at, at_unix(1767830400));
    EXPECT_TRUE(usage.model_bars.empty());

    const auto requests = server->requests("/v1/messages");
    ASSERT_EQ(requests.size(), 1u);
    const auto& request = requests[0];
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.header("Authorization"), "Bearer sk-ant-oat01-token");
    EXPECT_EQ(request.header("anthropic-version"), "2023-06-01");
    EXPECT_EQ(request.header("anthropic-beta"), "oauth-2025-04-20");
    EXPECT_EQ(request.header("Content-Type"), "application/json");
    EXPECT_EQ(request.header("User-Agent"), "ureq/2.12.1");
    EXPECT_EQ(
        request.body,
        R"({"max_tokens":1,"messages":[{"content":".","role":"user"}],"model":"claude-3-haiku-20240307"})");
}

TEST(MessagesFallback, ARejectedLimitWithZeroUtilizationIsReadFromTheClaim) {
    const auto server = messages_server(
        {with_headers(429, {
                               {"anthropic-ratelimit-unified-5h-utilization", "0"},
                               {"anthropic-ratelimit-unified-7d-utilization", "0.0"},
                               {"anthropic-ratelimit-unified-status", "rejected"},
                               {"anthropic-ratelimit-unified-representative-claim", "seven_day"},
                               {"anthropic-ratelimit-unified-reset", "1767229200"},
                           })});
    const UsageData usage = usage_of(poller::fetch_usage_from_messages("t", server->endpoints()));
    EXPECT_EQ(usage.five_hour.percent, 0.0);
    EXPECT_EQ(usage.five_hour.resets_at, at_unix(1767229200));
    EXPECT_EQ(usage.seven_day.percent, 100.0);
    EXPECT_FALSE(usage.seven_day.resets_at);
}

TEST(MessagesFallback, HeaderRulesForClaimsAndResets) {
    struct Case {
        const char* name;
        test_http::Headers headers;
        double five_hour;
        double seven_day;
        std::optional<platform::FileTime> five_hour_reset;
    } cases[] = {
        {"five-hour claim",
         {{"anthropic-ratelimit-unified-status", "rejected"},
          {"anthropic-ratelimit-unified-representative-claim", "five_hour"}},
         100.0,
         0.0,
         std::nullopt},
        {"claim without rejection",
         {{"anthropic-ratelimit-unified-status", "allowed"},
          {"anthropic-ratelimit-unified-representative-claim", "five_hour"}},
         0.0,
         0.0,
         std::nullopt},
        {"other claim",
         {{"anthropic-ratelimit-unified-status", "rejected"},
          {"anthropic-ratelimit-unified-representative-claim", "overage"}},
         0.0,
         0.0,
         std::nullopt},
        {"negative reset",
         {{"anthropic-ratelimit-unified-5h-utilization", "0.5"},
          {"anthropic-ratelimit-unified-5h-reset", "-5"}},
         50.0,
         0.0,
         std::nullopt},
        {"reset past the last instant",
         {{"anthropic-ratelimit-unified-5h-utilization", "0.5"},
          {"anthropic-ratelimit-unified-5h-reset", "9223372036854775807"}},
         50.0,
         0.0,
         std::nullopt},
        {"general reset past the last instant",
         {{"anthropic-ratelimit-unified-status", "allowed"},
          {"anthropic-ratelimit-unified-reset", "922337203685477580"}},
         0.0,
         0.0,
         std::nullopt},
        {"reset that is no number",
         {{"anthropic-ratelimit-unified-5h-utilization", "0.5"},
          {"anthropic-ratelimit-unified-5h-reset", "soon"}},
         50.0,
         0.0,
         std::nullopt},
        {"general reset ignored when usage is not zero",
         {{"anthropic-ratelimit-unified-7d-utilization", "0.25"},
          {"anthropic-ratelimit-unified-reset", "100"}},
         0.0,
         25.0,
         std::nullopt},
        {"general reset used when both are zero",
         {{"anthropic-ratelimit-unified-status", "allowed"}, {"anthropic-ratelimit-unified-reset", "100"}},
         0.0,
         0.0,
         at_unix(100)},
        {"missing utilization with a status",
         {{"anthropic-ratelimit-unified-status", "allowed"},
          {"anthropic-ratelimit-unified-7d-utilization", "x"}},
         0.0,
         0.0,
         std::nullopt},
    };
    for (const auto& c : cases) {
        const auto server = messages_server({with_headers(200, c.headers)});
        const UsageData usage = usage_of(poller::fetch_usage_from_messages("t", server->endpoints()));
        EXPECT_EQ(usage.five_hour.percent, c.five_hour) << c.name;
        EXPECT_EQ(usage.seven_day.percent, c.seven_day) << c.name;
        EXPECT_EQ(usage.five_hour.resets_at, c.five_hour_reset) << c.name;
    }
}

TEST(MessagesFallback, TriesTheSecondModelOnlyWhenTheFirstGaveNothing) {
    const auto not_found = messages_server(
        {Reply{404, {}, "{}"}, with_headers(200, {{"anthropic-ratelimit-unified-5h-utilization", "0.1"}})});
    poller::RetiredModels retired;
    EXPECT_NEAR(
        usage_of(poller::fetch_usage_from_messages("t", not_found->endpoints(), retired)).five_hour.percent,
        10.0, 1e-9);
    const auto requests = not_found->requests("/v1/messages");
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_NE(requests[1].body.find("\"model\":\"claude-haiku-4-5-20251001\""), std::string::npos);

    const auto rejected = messages_server({Reply{401, {}, "{}"}, with_headers(200, {})});
    EXPECT_EQ(poller::fetch_usage_from_messages("t", rejected->endpoints()),
              poller::FetchResult(FetchFailure::AuthRejected));
    EXPECT_EQ(rejected->requests("/v1/messages").size(), 1u);

    const auto forbidden = messages_server({Reply{403, {}, "{}"}});
    EXPECT_EQ(poller::fetch_usage_from_messages("t", forbidden->endpoints()),
              poller::FetchResult(FetchFailure::AuthRejected));

    const auto exhausted = messages_server({Reply{500, {}, "{}"}, Reply{400, {}, "{}"}});
    EXPECT_EQ(poller::fetch_usage_from_messages("t", exhausted->endpoints()),
              poller::FetchResult(FetchFailure::Failed));
    EXPECT_EQ(exhausted->requests("/v1/messages").size(), 2u);
}

// A model the endpoint no longer knows is asked once; every later fallback goes to the next
// model only, in the same order.
TEST(MessagesFallback, AModelNamedUnknownIsNotAskedAgain) {
    struct Case {
        const char* name;
        Reply first_model;
        std::size_t requests_for_two_readings;
    };
    const Case cases[] = {
        {"404 not_found_error", test_fakes::retired_model_answer(404), 3},
        {"404 without a body", Reply{404, {}, ""}, 3},
        {"400 not_found_error", test_fakes::retired_model_answer(400), 3},
        {"400 invalid_request_error", Reply{400, {}, R"({"error":{"type":"invalid_request_error"}})"}, 4},
        {"400 unreadable", Reply{400, {}, "<html>"}, 4},
        {"500", Reply{500, {}, "{}"}, 4},
    };
    for (const Case& c : cases) {
        test_fakes::ScriptedServer server;
        server.route("POST", "/v1/messages", [&c](const test_http::SeenRequest& request) {
            if (request.body.find(std::string(poller::MESSAGES_MODELS[0])) != std::string::npos) {
                return c.first_model;
            }
            return with_headers(200, {{"anthropic-ratelimit-unified-5h-utilization", "0.1"}});
        });
        server.start();
        poller::RetiredModels retired;
        for (int reading = 0; reading < 2; ++reading) {
            EXPECT_NEAR(usage_of(poller::fetch_usage_from_messages("t", server.endpoints(), retired))
                            .five_hour.percent,
                        10.0, 1e-9)
                << c.name;
        }
        const auto requests = server.requests("/v1/messages");
        ASSERT_EQ(requests.size(), c.requests_for_two_readings) << c.name;
        EXPECT_NE(requests[0].body.find(std::string(poller::MESSAGES_MODELS[0])), std::string::npos)
            << c.name;
        EXPECT_EQ(retired.contains(poller::MESSAGES_MODELS[0]), c.requests_for_two_readings == 3) << c.name;
        EXPECT_FALSE(retired.contains(poller::MESSAGES_MODELS[1])) << c.name;
    }
}

TEST(MessagesFallback, NoServerMeansFailedAfterBothModels) {
    poller::Endpoints endpoints = test_fakes::unreachable_endpoints();
    EXPECT_EQ(poller::fetch_usage_from_messages("t", endpoints), poller::FetchResult(FetchFailure::Failed));
}

TEST(RateLimitHeaders, ParseNumbersStrictly) {
    EXPECT_EQ(poller::parse_header_float("0.42"), 0.42);
    EXPECT_EQ(poller::parse_header_float("+1"), 1.0);
    EXPECT_EQ(poller::parse_header_float("1e-2"), 0.01);
    EXPECT_FALSE(poller::parse_header_float(""));
    EXPECT_FALSE(poller::parse_header_float(" 0.4"));
    EXPECT_FALSE(poller::parse_header_float("0.4x"));
    EXPECT_FALSE(poller::parse_header_float("+-1"));
    for (const char* not_finite : {"nan", "NaN", "inf", "-inf", "+infinity", "1e999"}) {
        EXPECT_FALSE(poller::parse_header_float(not_finite)) << not_finite << " counts as not given";
    }
    EXPECT_EQ(poller::parse_header_integer("1767225600"), 1767225600);
    EXPECT_EQ(poller::parse_header_integer("-5"), -5);
    EXPECT_EQ(poller::parse_header_integer("+7"), 7);
    EXPECT_FALSE(poller::parse_header_integer("1.5"));
    EXPECT_FALSE(poller::parse_header_integer("99999999999999999999"));
}

}  // namespace

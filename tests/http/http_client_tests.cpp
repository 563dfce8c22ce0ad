// The client against a local plain-HTTP server: outcomes by status, the request it sends,
// redirects, the deadline and the body cap. Runs natively and under Wine.
#include <gtest/gtest.h>

#include <chrono>

#include "http_test_server.hpp"
#include "poller/http_client.hpp"

namespace poller {
namespace {

using namespace std::chrono_literals;
using test_http::Reply;
using test_http::SeenRequest;
using test_http::TestServer;

constexpr const char* TOKEN = "sk-ant-oat01-secret-token";

HttpSettings direct_settings(std::chrono::milliseconds deadline = 20s) {
    HttpSettings settings;
    settings.deadline = deadline;
    settings.environment = [](std::string_view) { return std::optional<std::string>(); };
    return settings;
}

HttpClient new_client(HttpSettings settings = direct_settings()) {
    auto client = make_http_client(std::move(settings));
    if (!client) {
        throw std::runtime_error("no HTTP client");
    }
    return std::move(*client);
}

HttpRequest get(std::string url, HttpHeaders headers = {}) {
    return {"GET", std::move(url), std::move(headers), {}};
}

TEST(HttpClientOutcomes, StatusBelow400IsSuccessAndAbove400AnErrorWithTheWholeAnswer) {
    struct Case {
        int status;
        bool success;
    };
    const Case cases[] = {{200, true},  {201, true},  {204, true},  {304, true},  {399, true},  {400, false},
                          {401, false}, {403, false}, {404, false}, {429, false}, {500, false}, {503, false}};
    TestServer server;
    for (const auto& c : cases) {
        server.route("GET", "/s/" + std::to_string(c.status), [status = c.status](const SeenRequest&) {
            Reply reply{status, {{"X-Kind", "k" + std::to_string(status)}}, {}};
            if (status != 204 && status != 304) {
                reply.body = R"({"status":)" + std::to_string(status) + "}";
            }
            return reply;
        });
    }
    server.start();
    HttpClient client = new_client();  // one client for every request, as a fetch may do
    for (const auto& c : cases) {
        const std::string path = "/s/" + std::to_string(c.status);
        const HttpResult result = client.send(get(server.url(path)));
        const HttpResponse* answer = answer_of(result);
        ASSERT_NE(answer, nullptr) << c.status << ": " << error_text(result);
        EXPECT_EQ(std::holds_alternative<HttpResponse>(result), c.success) << c.status;
        EXPECT_EQ(answer->status, c.status);
        EXPECT_EQ(answer->header("x-kind"), "k" + std::to_string(c.status));
        if (!c.success) {
            EXPECT_EQ(error_text(result), server.url(path) + ": status code " + std::to_string(c.status));
            const auto body = answer->read_json();
            ASSERT_TRUE(std::holds_alternative<Json>(body)) << c.status;
            EXPECT_EQ(std::get<Json>(body).at("status"), c.status);
        }
    }
}

TEST(HttpClientOutcomes, A429KeepsItsRateLimitHeadersAndBody) {
    TestServer server;
    server.route("POST", "/v1/messages", [](const SeenRequest&) {
        return Reply{429,
                     {{"anthropic-ratelimit-unified-status", "rejected"},
                      {"Anthropic-Ratelimit-Unified-Representative-Claim", "seven_day"},
                      {"retry-after", "120"}},
                     R"({"type":"error","error":{"type":"rate_limit_error"}})"};
    });
    server.start();
    HttpClient client = new_client();
    const HttpResult result = client.send({"POST", server.url("/v1/messages"), {}, Json{{"max_tokens", 1}}});
    const auto* error = std::get_if<HttpStatusError>(&result);
    ASSERT_NE(error, nullptr) << error_text(result);
    EXPECT_EQ(error->response.status, 429);
    EXPECT_EQ(error->response.header("Anthropic-Ratelimit-Unified-Status"), "rejected");
    EXPECT_EQ(error->response.header("anthropic-ratelimit-unified-representative-claim"), "seven_day");
    EXPECT_EQ(error->response.header("Retry-After"), "120");
    const auto body = error->response.read_json();
    ASSERT_TRUE(std::holds_alternative<Json>(body));
    EXPECT_EQ(std::get<Json>(body)["error"]["type"], "rate_limit_error");
}

TEST(HttpClientRequests, SendTheDefaultsAndWhatTheCallerSet) {
    struct Case {
        const char* what;
        HttpRequest request;  // url filled in below
        std::string user_agent;
        std::optional<std::string> content_type;
        std::string body;
    };
    const Case cases[] = {
        {"plain GET",
         {"GET", "", {{"Authorization", "Bearer x"}, {"anthropic-beta", "oauth-2025-04-20"}}, {}},
         "ureq/2.12.1",
         std::nullopt,
         ""},
        {"caller's User-Agent replaces the default",
         {"GET", "", {{"user-agent", "codex-cli"}, {"ChatGPT-Account-Id", "acct-1"}}, {}},
         "codex-cli",
         std::nullopt,
         ""},
        {"JSON body is compact and typed",
         {"POST",
          "",
          {},
          Json::parse(R"({"model": "m", "max_tokens": 1, "messages": [{"content": ".", "role": "user"}]})")},
         "ureq/2.12.1",
         "application/json",
         R"({"max_tokens":1,"messages":[{"content":".","role":"user"}],"model":"m"})"},
        {"caller's Content-Type is kept",
         {"POST", "", {{"Content-Type", "application/json; charset=utf-8"}}, Json::array({1, 2})},
         "ureq/2.12.1",
         "application/json; charset=utf-8",
         "[1,2]"},
    };
    TestServer server;
    server.route("GET", "/echo", [](const SeenRequest&) { return Reply{200, {}, "{}"}; });
    server.route("POST", "/echo", [](const SeenRequest&) { return Reply{200, {}, "{}"}; });
    server.start();
    for (const auto& c : cases) {
        HttpClient client = new_client();
        HttpRequest request = c.request;
        request.url = server.url("/echo");
        const HttpResult result = client.send(request);
        ASSERT_TRUE(std::holds_alternative<HttpResponse>(result)) << c.what << ": " << error_text(result);
        const SeenRequest seen = server.requests().back();
        EXPECT_EQ(seen.method, c.request.method) << c.what;
        EXPECT_EQ(seen.version, "HTTP/1.1") << c.what;
        EXPECT_EQ(seen.header("User-Agent"), c.user_agent) << c.what;
        EXPECT_EQ(seen.header("Accept"), "*/*") << c.what;
        EXPECT_EQ(seen.header("Accept-Encoding"), std::nullopt) << c.what;
        EXPECT_EQ(seen.header("Expect"), std::nullopt) << c.what;
        EXPECT_EQ(seen.header("Content-Type"), c.content_type) << c.what;
        EXPECT_EQ(seen.body, c.body) << c.what;
        int user_agents = 0;
        for (const auto& header : seen.headers) {
            user_agents += header.first == "User-Agent" || header.first == "user-agent";
        }
        EXPECT_EQ(user_agents, 1) << c.what;
        for (const auto& [name, value] : c.request.headers) {
            EXPECT_EQ(seen.header(name), value) << c.what << ": " << name;
        }
    }
}

// /chain<n>/<i> redirects to the next hop; after n redirects /chain<n>/done answers.
void add_chain(TestServer& server, int length) {
    const std::string base = "/chain" + std::to_string(length) + "/";
    for (int hop = 0; hop < length; ++hop) {
        const std::string next = hop + 1 == length ? "done" : std::to_string(hop + 1);
        // Alternate relative and absolute locations, and the redirect statuses.
        const int statuses[] = {302, 301, 307, 308, 303};
        server.route("GET", base + std::to_string(hop),
                     [&server, base, next, hop, statuses](const SeenRequest&) {
                         const std::string location = hop % 2 == 0 ? next : server.url(base + next);
                         return Reply{statuses[hop % 5], {{"Location", location}}, "moved"};
                     });
    }
    server.route("GET", base + "done", [](const SeenRequest&) { return Reply{200, {}, R"({"done":true})"}; });
}

TEST(HttpClientRedirects, FollowsFiveWithoutAuthorizationAndRefusesTheSixth) {
    TestServer server;
    add_chain(server, 5);
    add_chain(server, 6);
    server.start();
    const HttpHeaders headers = {{"Authorization", std::string("Bearer ") + TOKEN}, {"X-Keep", "kept"}};

    HttpClient client = new_client();
    const HttpResult five = client.send(get(server.url("/chain5/0"), headers));
    ASSERT_TRUE(std::holds_alternative<HttpResponse>(five)) << error_text(five);
    EXPECT_EQ(std::get<HttpResponse>(five).status, 200);
    EXPECT_EQ(std::get<HttpResponse>(five).body, R"({"done":true})");

    const HttpResult six = client.send(get(server.url("/chain6/0"), headers));
    ASSERT_TRUE(std::holds_alternative<TransportError>(six)) << error_text(six);
    EXPECT_NE(error_text(six).find("too many redirects"), std::string::npos) << error_text(six);

    const auto seen = server.requests();
    ASSERT_EQ(seen.size(), 12u);  // 5 + 1 for the first chain, 6 for the second (the sixth is not followed)
    for (const auto& request : seen) {
        const bool first = request.path.ends_with("/0");
        EXPECT_EQ(request.header("Authorization").has_value(), first) << request.path;
        EXPECT_EQ(request.header("X-Keep"), "kept") << request.path;
    }
    EXPECT_EQ(seen.back().path, "/chain6/5");
}

TEST(HttpClientRedirects, SeeOtherTurnsAPostIntoAGetWhile307KeepsIt) {
    TestServer server;
    server.route("POST", "/found", [](const SeenRequest&) {
        return Reply{302, {{"Location", "/target"}}, ""};
    });
    server.route("POST", "/temporary", [](const SeenRequest&) {
        return Reply{307, {{"Location", "/target"}}, ""};
    });
    server.route("GET", "/target", [](const SeenRequest&) { return Reply{200, {}, "{}"}; });
    server.route("POST", "/target", [](const SeenRequest&) { return Reply{200, {}, "{}"}; });
    server.start();
    HttpClient client = new_client();
    const Json body = {{"k", 1}};
    ASSERT_TRUE(std::holds_alternative<HttpResponse>(client.send({"POST", server.url("/found"), {}, body})));
    SeenRequest seen = server.requests().back();
    EXPECT_EQ(seen.method, "GET");
    EXPECT_EQ(seen.body, "");
    EXPECT_EQ(seen.header("Content-Type"), std::nullopt);

    ASSERT_TRUE(
        std::holds_alternative<HttpResponse>(client.send({"POST", server.url("/temporary"), {}, body})));
    seen = server.requests().back();
    EXPECT_EQ(seen.method, "POST");
    EXPECT_EQ(seen.body, R"({"k":1})");
    EXPECT_EQ(seen.header("Content-Type"), "application/json");
}

// Status and headers came whole, then the body broke off or stalled until the deadline: an
// answer whose body is unusable, not a request without an answer.
TEST(HttpClientBody, ABodyCutShortOrStalledIsABodyErrorOfTheAnswer) {
    TestServer server;
    server.route("GET", "/stall", [](const SeenRequest&) {
        Reply reply{200, {{"x-seen", "1"}}, std::string(4096, 'x')};
        reply.stall_after = 1000;
        return reply;
    });
    server.route("GET", "/cut", [](const SeenRequest&) {
        Reply reply{200, {{"x-seen", "1"}}, std::string(4096, 'x')};
        reply.cut_after = 1000;
        return reply;
    });
    server.start();
    for (const char* path : {"/stall", "/cut"}) {
        HttpClient client = new_client(direct_settings(1s));
        const auto started = std::chrono::steady_clock::now();
        const HttpResult result = client.send(get(server.url(path)));
        const auto took = std::chrono::steady_clock::now() - started;
        ASSERT_TRUE(std::holds_alternative<HttpResponse>(result)) << path << ": " << error_text(result);
        const HttpResponse& answer = std::get<HttpResponse>(result);
        EXPECT_EQ(answer.header("x-seen"), "1") << path;
        EXPECT_EQ(answer.body, "") << path;
        EXPECT_EQ(answer.body_error.rfind("response body incomplete: ", 0), 0u) << answer.body_error;
        const auto document = answer.read_json();
        ASSERT_TRUE(std::holds_alternative<std::string>(document)) << path;
        EXPECT_EQ(std::get<std::string>(document), answer.body_error);
        EXPECT_LT(took, 2s) << path;
    }
}

TEST(HttpClientBody, IsCappedAtOneMebibyte) {
    TestServer server;
    server.route("GET", "/exact", [](const SeenRequest&) {
        return Reply{200, {}, std::string(MAX_BODY_BYTES, ' '), "text/plain"};
    });
    server.route("GET", "/over", [](const SeenRequest&) {
        return Reply{200, {}, std::string(MAX_BODY_BYTES + 1, ' '), "text/plain"};
    });
    server.route("GET", "/over-429", [](const SeenRequest&) {
        return Reply{429, {{"retry-after", "5"}}, std::string(3 * MAX_BODY_BYTES, ' '), "text/plain"};
    });
    server.start();
    HttpClient client = new_client();

    const HttpResult exact = client.send(get(server.url("/exact")));
    ASSERT_TRUE(std::holds_alternative<HttpResponse>(exact)) << error_text(exact);
    EXPECT_EQ(std::get<HttpResponse>(exact).body.size(), MAX_BODY_BYTES);
    EXPECT_FALSE(std::get<HttpResponse>(exact).body_too_large);

    const HttpResult over = client.send(get(server.url("/over")));
    ASSERT_TRUE(std::holds_alternative<HttpResponse>(over)) << error_text(over);
    EXPECT_TRUE(std::get<HttpResponse>(over).body_too_large);
    EXPECT_EQ(std::get<std::string>(std::get<HttpResponse>(over).read_json()),
              "response body is larger than 1048576 bytes");

    const HttpResult over_429 = client.send(get(server.url("/over-429")));
    const auto* error = std::get_if<HttpStatusError>(&over_429);
    ASSERT_NE(error, nullptr) << error_text(over_429);
    EXPECT_TRUE(error->response.body_too_large);
    EXPECT_EQ(error->response.header("Retry-After"), "5");
}

TEST(HttpClientFailures, AreTransportErrorsWhoseTextNeverHoldsTheToken) {
    std::uint16_t closed_port = 0;
    {
        TestServer gone;
        gone.start();
        closed_port = gone.port();
    }
    TestServer server;
    server.route("GET", "/ok", [](const SeenRequest&) { return Reply{200, {}, "{}"}; });
    server.start();
    const std::string bearer = std::string("Bearer ") + TOKEN;
    struct Case {
        const char* what;
        HttpRequest request;
    };
    const Case cases[] = {
        {"connection refused",
         get("http://127.0.0.1:" + std::to_string(closed_port) + "/x", {{"Authorization", bearer}})},
        {"line break in a header value",
         get(server.url("/ok"), {{"Authorization", bearer + "\r\nX-Evil: 1"}})},
        {"header name with a colon",
         get(server.url("/ok"), {{std::string("Authorization: ") + bearer, "v"}})},
        {"invalid method", {"GET /ok", server.url("/ok"), {{"Authorization", bearer}}, {}}},
        {"not a URL", get(std::string("::") + TOKEN, {})},
        {"unsupported scheme", get(std::string("ftp://user:") + TOKEN + "@127.0.0.1/", {})},
    };
    HttpClient client = new_client();
    for (const auto& c : cases) {
        const HttpResult result = client.send(c.request);
        ASSERT_TRUE(std::holds_alternative<TransportError>(result)) << c.what;
        EXPECT_FALSE(error_text(result).empty()) << c.what;
        EXPECT_EQ(error_text(result).find(TOKEN), std::string::npos) << c.what << ": " << error_text(result);
    }
    EXPECT_TRUE(server.requests().empty());

    // Credentials in a URL are not repeated in a status error either.
    const std::string with_user = "http://user:" + std::string(TOKEN) +
                                  "@127.0.0.1:" + std::to_string(server.port()) + "/missing?token=" + TOKEN;
    const HttpResult missing = client.send(get(with_user, {{"Authorization", bearer}}));
    ASSERT_TRUE(std::holds_alternative<HttpStatusError>(missing)) << error_text(missing);
    EXPECT_EQ(error_text(missing), server.url("/missing") + ": status code 404");
}

}  // namespace
}  // namespace poller

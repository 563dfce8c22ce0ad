// The stand-ins scripts/run starts beside gaugelet.exe: writes the sample settings folder, then
// answers the three usage requests with readings made from the clock until it is stopped.
// Prints "serving <base address>" once it listens, then one line per request it answered.
#include <chrono>
#include <future>
#include <iostream>
#include <mutex>

#include "demo_accounts.hpp"
#include "demo_readings.hpp"
#include "platform/clock.hpp"
#include "scripted_server.hpp"
#include "settings/settings_path.hpp"
#include "text/path_text.hpp"

namespace {

using demo::UsageProfile;

constexpr UsageProfile CLAUDE_MODELS{0, 78.0, 20.0, 85.0};
constexpr UsageProfile CLAUDE_FALLBACK{2 * 3600, 45.0, 5.0, 60.0};
constexpr UsageProfile CODEX{4 * 3600, 95.0, 30.0, 70.0};

std::int64_t now_seconds() {
    return static_cast<std::int64_t>(platform::unix_seconds(platform::precise_now()));
}

std::mutex output_mutex;

void say(const std::string& line) {
    std::lock_guard<std::mutex> held(output_mutex);
    std::cout << line << std::endl;
}

std::string bearer(const test_http::SeenRequest& request) {
    const auto value = request.header("Authorization").value_or("");
    return value.rfind("Bearer ", 0) == 0 ? value.substr(7) : std::string();
}

test_http::Reply logged(const test_http::SeenRequest& request, test_http::Reply reply) {
    say(demo::rfc3339(now_seconds()) + " " + request.method + " " + request.path + " " +
        std::to_string(reply.status));
    return reply;
}

test_http::Reply claude_usage(const test_http::SeenRequest& request) {
    const std::string token = bearer(request);
    if (token == demo::CLAUDE_FALLBACK_TOKEN) {
        // This account is read from the Messages headers instead, as when the usage endpoint is down.
        return logged(request, {503, {}, R"({"error":"unavailable"})"});
    }
    if (token.empty()) {
        return logged(request, {401, {}, R"({"error":"unauthorized"})"});
    }
    return logged(request,
                  {200, {}, demo::claude_usage_body(demo::reading_at(CLAUDE_MODELS, now_seconds()), true)});
}

test_http::Reply claude_messages(const test_http::SeenRequest& request) {
    if (bearer(request).empty()) {
        return logged(request, {401, {}, R"({"error":"unauthorized"})"});
    }
    const auto reading = demo::reading_at(CLAUDE_FALLBACK, now_seconds());
    return logged(request, {200, demo::messages_headers(reading), R"({"type":"message","content":[]})"});
}

test_http::Reply codex_usage(const test_http::SeenRequest& request) {
    if (bearer(request) != demo::CODEX_TOKEN) {
        return logged(request, {401, {}, R"({"error":"unauthorized"})"});
    }
    return logged(request, {200, {}, demo::codex_usage_body(demo::reading_at(CODEX, now_seconds()))});
}

}  // namespace

int main() {
    const auto settings = settings::settings_path();
    if (const auto failure =
            demo::write_sample_accounts(settings, platform::unix_milliseconds(platform::precise_now()))) {
        std::cerr << "demo servers: " << *failure << std::endl;
        return 1;
    }
    say("settings " + text::path_to_utf8(settings).value_or("?"));

    test_fakes::ScriptedServer server;
    server.route("GET", "/api/oauth/usage", claude_usage);
    server.route("POST", "/v1/messages", claude_messages);
    server.route("GET", "/backend-api/wham/usage", codex_usage);
    server.start();
    say("serving " + server.endpoints().anthropic);

    // Serves until the process is ended.
    std::promise<void>().get_future().wait();
    return 0;
}

// What one reading costs us: decoding the providers' usage answers, and a whole poll cycle over
// ten accounts against a local server, counted in CPU time of the polling thread (the server's
// threads and child processes are not ours to count).

#include <benchmark/benchmark.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>

#include "http_test_server.hpp"
#include "poller/claude_usage_response.hpp"
#include "poller/codex_usage.hpp"
#include "poller/poll_cycle.hpp"
#include "strict_json/strict_json.hpp"

namespace {

const char* const CLAUDE_ANSWER = R"({
  "five_hour": {"utilization": 37.0, "resets_at": "2026-01-01T05:00:00.512345+00:00"},
  "seven_day": {"utilization": 61.0, "resets_at": "2026-01-06T00:00:00.512345+00:00"},
  "seven_day_oauth_apps": null,
  "seven_day_opus": {"utilization": 12.0, "resets_at": "2026-01-06T00:00:00.512345+00:00"},
  "seven_day_sonnet": {"utilization": 48.0, "resets_at": "2026-01-06T00:00:00.512345+00:00"},
  "extra_usage": {"is_enabled": false, "monthly_limit": null, "used_credits": null, "utilization": null},
  "limits": [
    {"kind": "session", "percent": 37.0, "resets_at": "2026-01-01T05:00:00.512345+00:00", "scope": null},
    {"kind": "weekly", "percent": 61.0, "resets_at": "2026-01-06T00:00:00.512345+00:00", "scope": null},
    {"kind": "weekly_scoped", "percent": 48.0, "resets_at": "2026-01-06T00:00:00.512345+00:00",
     "scope": {"model": {"id": "claude-sonnet", "display_name": "Sonnet"}}},
    {"kind": "weekly_scoped", "percent": 12.0, "resets_at": "2026-01-06T00:00:00.512345+00:00",
     "scope": {"model": {"id": "claude-opus", "display_name": "Opus"}}}
  ]
})";

const char* const CODEX_ANSWER = R"({
  "plan_type": "plus",
  "rate_limit": {
    "allowed": true, "limit_reached": false,
    "primary_window": {"used_percent": 23, "limit_window_seconds": 18000, "reset_after_seconds": 9000,
                       "reset_at": 1767234600},
    "secondary_window": {"used_percent": 41, "limit_window_seconds": 604800, "reset_after_seconds": 300000,
                         "reset_at": 1767525600}
  },
  "credits": {"has_credits": false, "unlimited": false, "balance": null}
})";

void decode_claude_answer(benchmark::State& state) {
    for (auto _ : state) {
        auto document = strict_json::parse(CLAUDE_ANSWER);
        auto decoded = poller::decode_usage_response(std::get<strict_json::Json>(document));
        poller::UsageData usage = poller::usage_from_response(std::get<poller::UsageResponse>(decoded));
        benchmark::DoNotOptimize(usage);
    }
}
BENCHMARK(decode_claude_answer);

void decode_codex_answer(benchmark::State& state) {
    for (auto _ : state) {
        auto document = strict_json::parse(CODEX_ANSWER);
        auto usage = poller::codex_usage_from_body(std::get<strict_json::Json>(document));
        benchmark::DoNotOptimize(usage);
    }
}
BENCHMARK(decode_codex_answer);

double thread_cpu_seconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

void write(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// Ten accounts, five of each provider. The Claude tool is not installed here, so each Claude label
// falls back to the stored address after a failed start, as on a machine without the tool.
void poll_cycle_over_ten_accounts(benchmark::State& state) {
    test_http::TestServer server;
    server.route("GET", "/api/oauth/usage", [](const test_http::SeenRequest&) {
        return test_http::Reply{200, {}, CLAUDE_ANSWER};
    });
    server.route("GET", "/backend-api/wham/usage", [](const test_http::SeenRequest&) {
        return test_http::Reply{200, {}, CODEX_ANSWER};
    });
    server.start();

    const auto root =
        std::filesystem::temp_directory_path() / ("gaugelet-bench-" + std::to_string(std::random_device{}()));
    state::AppState app;
    for (int i = 1; i <= 5; ++i) {
        const auto claude = root / ("claude-" + std::to_string(i));
        write(claude / ".credentials.json", R"({"claudeAiOauth": {"accessToken": "sk-ant-oat01-bench"}})");
        app.accounts.push_back(
            {"claude-" + std::to_string(i), accounts::Provider::Claude, claude, "c@example.com", 0});
        const auto codex = root / ("codex-" + std::to_string(i));
        write(
            codex / "auth.json",
            R"({"tokens": {"access_token": "bench", "account_id": "acct", "id_token": "e30.eyJlbWFpbCI6ImFAYi5jIn0.s"}})");
        app.accounts.push_back(
            {"codex-" + std::to_string(i), accounts::Provider::Codex, codex, std::nullopt, 0});
    }
    state::StateSlot slot;
    slot.install(app);

    poller::PollContext context;
    context.slot = &slot;
    context.endpoints.anthropic = server.url("");
    context.endpoints.chatgpt = server.url("");
    context.endpoints.http.environment = [](std::string_view) { return std::optional<std::string>(); };
    context.tools = accounts::ToolSession{
        accounts::ToolLocator([](const std::string&) { return false; },
                              [](const std::string&) { return std::optional<std::string>(); }),
        {}};
    poller::WeeklyScopedCache cache;
    poller::UsageCooldowns cooldowns;
    poller::PollSequence sequence;
    context.cache = &cache;
    context.cooldowns = &cooldowns;
    context.sequence = &sequence;

    double cpu = 0;
    for (auto _ : state) {
        const double before = thread_cpu_seconds();
        poller::poll_all_accounts(context);
        cpu += thread_cpu_seconds() - before;
    }
    state.counters["own_cpu_us_per_account"] =
        benchmark::Counter(cpu * 1e6 / 10.0 / static_cast<double>(state.iterations()));
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
}
BENCHMARK(poll_cycle_over_ten_accounts)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

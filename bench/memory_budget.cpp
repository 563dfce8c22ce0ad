// The program's own live heap over 100 poll cycles of ten accounts, and what an idle countdown
// tick costs, measured with a counting allocator. Fails (exit 1) when the heap after 100 cycles
// passes 2 MB, when it grew between cycle 10 and cycle 100, or when an idle tick allocated.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "counting_allocator.hpp"
#include "http_test_server.hpp"
#include "poller/poll_cycle.hpp"
#include "window/countdown_schedule.hpp"

namespace {

const char* const CLAUDE_ANSWER = R"({
  "five_hour": {"utilization": 37.0, "resets_at": "2099-12-08T07:00:00Z"},
  "seven_day": {"utilization": 62.5, "resets_at": "2099-12-11T19:00:00Z"},
  "limits": [{"kind": "weekly_scoped", "percent": 18, "resets_at": "2099-12-11T19:00:00Z",
              "scope": {"model": {"display_name": "Opus"}}}]})";
const char* const CODEX_ANSWER = R"({"rate_limit": {
  "primary_window": {"used_percent": 9, "reset_at": 4100000000},
  "secondary_window": {"used_percent": 41, "reset_at": 4100400000}}})";

constexpr std::int64_t BUDGET_BYTES = 2 * 1024 * 1024;

void write(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

}  // namespace

int main() {
    test_http::TestServer server;
    server.route("GET", "/api/oauth/usage", [](const test_http::SeenRequest&) {
        return test_http::Reply{200, {}, CLAUDE_ANSWER};
    });
    server.route("GET", "/backend-api/wham/usage", [](const test_http::SeenRequest&) {
        return test_http::Reply{200, {}, CODEX_ANSWER};
    });
    server.start();

    const auto root = std::filesystem::temp_directory_path() /
                      ("gaugelet-memory-" + std::to_string(std::random_device{}()));
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

    std::int64_t state_bytes = 0;
    std::int64_t after_10 = 0;
    std::int64_t after_100 = 0;
    std::int64_t idle_allocations = 0;
    {
        // Everything the program keeps lives in the state, the caches and the log-free cycle.
        counting::Scope counted;
        state::StateSlot slot;
        slot.install(app);
        poller::PollContext context;
        context.slot = &slot;
        context.endpoints.anthropic = server.url("");
        context.endpoints.chatgpt = server.url("");
        context.endpoints.http.environment = [](std::string_view) { return std::optional<std::string>(); };
        // No tools here: each Claude label falls back to the stored address after a failed start.
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
        const std::int64_t baseline = counting::live_bytes.load();
        state_bytes = baseline;
        for (int cycle = 1; cycle <= 100; ++cycle) {
            poller::poll_all_accounts(context);
            if (cycle == 10) {
                after_10 = counting::live_bytes.load() - baseline;
            }
        }
        after_100 = counting::live_bytes.load() - baseline;

        // An idle countdown tick: the key of the texts and the timer plan, over the ten readings.
        auto held = slot.lock();
        const auto& usage = *held->usage;
        const auto now = platform::precise_now();
        const std::int64_t before = counting::allocations.load();
        std::uint64_t keys = 0;
        for (int tick = 0; tick < 1000; ++tick) {
            keys += window::countdown_display_key(usage, now);
            keys += window::plan_countdown_timers(true, usage, now).countdown_ms.value_or(0);
        }
        idle_allocations = counting::allocations.load() - before;
        std::printf("(checksum %llu)\n", static_cast<unsigned long long>(keys));
    }
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);

    std::printf("own live heap before the first poll (state with ten accounts): %lld bytes\n",
                static_cast<long long>(state_bytes));
    std::printf("  added by the readings after 10 poll cycles:  %lld bytes\n",
                static_cast<long long>(after_10));
    std::printf("  added by the readings after 100 poll cycles: %lld bytes\n",
                static_cast<long long>(after_100));
    std::printf("allocations in 1000 idle countdown ticks: %lld\n", static_cast<long long>(idle_allocations));
    const bool ok = state_bytes + after_100 <= BUDGET_BYTES && after_100 <= after_10 && idle_allocations == 0;
    std::printf("%s\n", ok ? "within budget" : "OVER BUDGET");
    return ok ? 0 : 1;
}

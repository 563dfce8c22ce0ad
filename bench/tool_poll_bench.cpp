// What a poll of ten Claude accounts costs with the real tool discovery and real tool starts (the
// fake provider tool on PATH, a local stand-in server): every poll locating the tool and asking
// it for each label, as before, against the kept discovery and labels of a steady poll. Times
// itself, so the same program runs natively and under Wine.
#include <chrono>
#include <cstdio>
#include <string>

#include "accounts/label_cache.hpp"
#include "fake_tool_support.hpp"
#include "platform/environment.hpp"
#include "poller/poll_cycle.hpp"
#include "scripted_server.hpp"
#include "support/temp_folder.hpp"
#include "text/path_text.hpp"

namespace {

constexpr int ACCOUNTS = 10;
constexpr int POLLS = 5;

const char* const ANSWER = R"({"five_hour": {"utilization": 12.5, "resets_at": "2099-01-01T05:00:00Z"},
  "seven_day": {"utilization": 40, "resets_at": "2099-01-05T00:00:00Z"}})";

std::string utf8(const std::filesystem::path& path) {
    return text::path_to_utf8(path).value_or("");
}

struct Figures {
    double milliseconds_per_poll = 0;
    double tool_starts_per_poll = 0;
};

// One warm-up poll, then POLLS timed ones; tool starts counted from the fake tool's own record.
Figures measure(poller::PollContext context, const std::filesystem::path& tool_log) {
    poller::poll_all_accounts(context);
    const auto before = fake_tool::read_invocations(tool_log).size();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < POLLS; ++i) {
        poller::poll_all_accounts(context);
    }
    const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
    const auto starts = fake_tool::read_invocations(tool_log).size() - before;
    return {spent.count() / POLLS, static_cast<double>(starts) / POLLS};
}

}  // namespace

int main() {
    test_support::TempFolder root("gaugelet-tool-poll-bench");
    const auto tool_log = root / "tool-calls.jsonl";
#ifdef _WIN32
    const char* separator = ";";
#else
    const char* separator = ":";
#endif
    platform::set_env("PATH",
                      utf8(fake_tool::tool_directory()) + separator + platform::get_env("PATH").value_or(""));
    platform::set_env("GAUGELET_FAKE_TOOL_LOG", utf8(tool_log));

    test_fakes::ScriptedServer server;
    server.route("GET", "/api/oauth/usage", [](const test_http::SeenRequest&) {
        return test_http::Reply{200, {}, ANSWER};
    });
    server.start();

    state::AppState app;
    for (int i = 1; i <= ACCOUNTS; ++i) {
        const std::string id = "claude-" + std::to_string(i);
        const auto dir = root / id;
        std::filesystem::create_directories(dir);
        test_support::write_text(dir / ".credentials.json",
                                 R"({"claudeAiOauth": {"accessToken": "sk-ant-oat01-bench"}})");
        app.accounts.push_back(
            {id, accounts::Provider::Claude, dir, "stored@example.com", static_cast<std::uint32_t>(i - 1)});
    }
    state::StateSlot slot;
    slot.install(app);
    poller::WeeklyScopedCache weekly;
    poller::UsageCooldowns cooldowns;
    poller::PollSequence sequence;
    poller::PollContext context;
    context.slot = &slot;
    context.endpoints = server.endpoints();
    context.cache = &weekly;
    context.cooldowns = &cooldowns;
    context.sequence = &sequence;

    // Before: every command locates the tool afresh and every poll asks it for each label.
    poller::PollContext uncached = context;
    uncached.tools.locator = accounts::ToolLocator(
        [](const std::string& located) { return accounts::probe_tool(located); }, accounts::look_up_tool);
    uncached.labels = nullptr;
    const Figures before = measure(uncached, tool_log);

    accounts::DiscoveryCache discovery;
    accounts::LabelCache labels;
    poller::PollContext steady = context;
    steady.tools.locator =
        accounts::ToolLocator([](const std::string& located) { return accounts::probe_tool(located); },
                              accounts::look_up_tool, &discovery);
    steady.labels = &labels;
    const Figures after = measure(steady, tool_log);

    std::printf("poll of %d Claude accounts, mean of %d polls after one warm-up\n", ACCOUNTS, POLLS);
    std::printf("  every poll locating and asking the tool: %8.1f ms, %5.1f tool starts\n",
                before.milliseconds_per_poll, before.tool_starts_per_poll);
    std::printf("  steady poll, discovery and labels kept:  %8.1f ms, %5.1f tool starts\n",
                after.milliseconds_per_poll, after.tool_starts_per_poll);
    return after.tool_starts_per_poll == 0 ? 0 : 1;
}

// The real gaugelet.exe, started under Wine with its own settings and temporary folders, the fake
// provider tools first in PATH and a scripted stand-in server, driven with the messages a user's
// actions send. Each scenario reads back the settings file, the log, the window and the screen.
#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <algorithm>
#include <nlohmann/json.hpp>

#include "accounts/login.hpp"
#include "fake_tool_support.hpp"
#include "fake_tools.hpp"
#include "gaugelet_driver.hpp"
#include "panel/layout.hpp"
#include "platform/clock.hpp"
#include "provider_answers.hpp"
#include "platform/environment.hpp"
#include "scripted_server.hpp"
#include "support/temp_folder.hpp"
#include "text/path_text.hpp"

namespace {

using namespace std::chrono_literals;
using test_http::Reply;
using test_support::write_text;

constexpr UINT WM_APP_TRAY = 0x8003;
constexpr const char* CLAUDE_USAGE = "/api/oauth/usage";
constexpr const char* CODEX_USAGE = "/backend-api/wham/usage";

// Resets a day and a week from now, so nothing has passed and no quick re-poll runs.
std::string codex_body(std::int64_t five_hour_reset, std::int64_t seven_day_reset) {
    return nlohmann::json{{"rate_limit",
                           {{"primary_window", {{"used_percent", 55}, {"reset_at", five_hour_reset}}},
                            {"secondary_window", {{"used_percent", 5.25}, {"reset_at", seven_day_reset}}}}}}
        .dump();
}

std::int64_t unix_now() {
    return static_cast<std::int64_t>(platform::unix_seconds(platform::precise_now()));
}

std::string future_codex_body() {
    return codex_body(unix_now() + 86400, unix_now() + 7 * 86400);
}

std::string claude_body() {
    return R"({"five_hour": {"utilization": 12.5, "resets_at": "2099-01-01T05:00:00Z"},
               "seven_day": {"utilization": 40, "resets_at": "2099-01-05T00:00:00Z"}})";
}

class GaugeletProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!e2e::gui_available()) {
            GTEST_SKIP() << "no display: gaugelet.exe needs one for its window";
        }
    }

    std::filesystem::path account_dir(const char* id) const {
        return root_.path() / "Quotavane" / "accounts" / id;
    }

    nlohmann::json claude_account(const char* id) const {
        const auto dir = account_dir(id);
        std::filesystem::create_directories(dir);
        EXPECT_TRUE(accounts::login(accounts::Provider::Claude, dir, test_tools::fake_tool_session()));
        return {{"id", id}, {"provider", "claude"}, {"dir", text::path_to_utf8(dir).value()}, {"order", 0}};
    }

    nlohmann::json codex_account(const char* id, int order) const {
        const auto dir = account_dir(id);
        std::filesystem::create_directories(dir);
        EXPECT_TRUE(accounts::login(accounts::Provider::Codex, dir, test_tools::fake_tool_session()));
        return {
            {"id", id}, {"provider", "codex"}, {"dir", text::path_to_utf8(dir).value()}, {"order", order}};
    }

    void write_settings(nlohmann::json settings) const {
        settings["language"] = "en";
        std::filesystem::create_directories(root_.path() / "Quotavane");
        write_text(root_.path() / "Quotavane" / "settings.json", settings.dump(2));
    }

    // Both usage endpoints answer with a reading whose windows reset in the future.
    void answer_usage() {
        server_.route("GET", CLAUDE_USAGE, [](const test_http::SeenRequest&) {
            return Reply{200, {}, claude_body()};
        });
        server_.route("GET", CODEX_USAGE, [](const test_http::SeenRequest&) {
            return Reply{200, {}, future_codex_body()};
        });
    }

    // Starts the program and waits until its first render is done.
    HWND launch() {
        if (!started_) {
            server_.start();
            started_ = true;
        }
        driver_.emplace(root_.path(), server_.endpoints());
        process_ = driver_->start();
        EXPECT_TRUE(process_.has_value());
        if (!process_) {
            return nullptr;
        }
        HWND hwnd = e2e::wait_for_window(process_->id());
        EXPECT_NE(hwnd, nullptr);
        EXPECT_TRUE(driver_->wait_for_log("panel initialized (hidden)")) << driver_->log();
        return hwnd;
    }

    bool wait_visible(HWND hwnd, bool visible) {
        return e2e::wait_until([&] { return (IsWindowVisible(hwnd) != 0) == visible; }, 10s);
    }

    bool wait_setting(const char* key, const nlohmann::json& value) {
        return e2e::wait_until([&] {
            const auto settings = driver_->settings();
            return settings.is_object() && settings.contains(key) && settings[key] == value;
        });
    }

    bool wait_exit() { return process_ && process_->wait_for(10s) == platform::Process::State::Exited; }

    test_support::TempFolder root_{"gaugelet-e2e"};
    test_fakes::ScriptedServer server_;
    bool started_ = false;
    std::optional<e2e::Driver> driver_;
    std::optional<platform::Process> process_;
};

TEST_F(GaugeletProgram, ASecondStartExitsWithItsLineAndKeepsTheFirstInstancesLog) {
    const HWND hwnd = launch();
    ASSERT_NE(hwnd, nullptr);
    auto second = driver_->start();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->wait_for(20s), platform::Process::State::Exited);
    EXPECT_TRUE(driver_->wait_for_log("startup aborted: another instance is already running"));
    const std::string log = driver_->log();
    EXPECT_NE(log.find("panel initialized (hidden)"), std::string::npos)
        << "the running instance's lines stay";
    EXPECT_EQ(e2e::program_windows(second->id()).size(), 0U);
    EXPECT_EQ(e2e::program_windows(process_->id()).size(), 1U);
}

TEST_F(GaugeletProgram, ExitAndCloseEndTheProcessPromptlyAndTakeTheTrayIcons) {
    struct Case {
        UINT message;
        WPARAM wparam;
    };
    for (const Case c : {Case{WM_COMMAND, 2}, Case{WM_CLOSE, 0}}) {
        const HWND hwnd = launch();
        ASSERT_NE(hwnd, nullptr);
        ASSERT_TRUE(e2e::wait_until([&] { return e2e::tray_icon_shown(hwnd, 65535); }))
            << "the placeholder icon is there to begin with";
        PostMessageW(hwnd, c.message, c.wparam, 0);
        EXPECT_TRUE(wait_exit()) << "message " << c.message;
        EXPECT_TRUE(e2e::program_windows(process_->id()).empty());
        // Its tray icon went with it, not left for the pointer to clear.
        EXPECT_TRUE(driver_->log_has("WM_DESTROY: 1 tray icons removed")) << driver_->log();
        EXPECT_FALSE(e2e::tray_icon_shown(hwnd, 65535)) << "a ghost icon stayed after message " << c.message;
    }
}

TEST_F(GaugeletProgram, EverySettingsCommandLandsInTheFile) {
    write_settings({{"accounts", {claude_account("claude-1"), codex_account("codex-1", 1)}}});
    answer_usage();
    const HWND hwnd = launch();
    ASSERT_NE(hwnd, nullptr);

    // Past the list: nothing changes, and the log says why.
    PostMessageW(hwnd, WM_COMMAND, 405, 0);
    EXPECT_TRUE(driver_->wait_for_log("menu command 405 ignored")) << driver_->log();
    EXPECT_FALSE(driver_->settings().is_object() && driver_->settings().contains("tray_accounts"));

    struct Case {
        WPARAM id;
        const char* key;
        nlohmann::json value;
    };
    const Case cases[] = {
        {81, "panel_theme", "win11-fluent"},
        {83, "panel_theme", "hybrid-light"},
        {92, "tray_metric", "7d"},
        {91, "tray_metric", "5h"},
        {110, "panel_on_tray_hover", false},
        {111, "panel_on_corner_hover", true},
        {123, "hot_corner", "bottom-right"},
        {131, "panel_layout", "vertical"},
        {400, "tray_accounts", nlohmann::json::array({"codex-1"})},  // unset: all but the toggled one
        {400, "tray_accounts", nlohmann::json::array({"codex-1", "claude-1"})},
        {401, "tray_accounts", nlohmann::json::array({"claude-1"})},
    };
    for (const Case& c : cases) {
        PostMessageW(hwnd, WM_COMMAND, c.id, 0);
        EXPECT_TRUE(wait_setting(c.key, c.value)) << "command " << c.id << ": " << driver_->settings().dump();
    }
}

TEST_F(GaugeletProgram, FirstPollSyncsTheTrayAndHoverShowsAPanelOfItsSize) {
    write_settings({{"accounts", {claude_account("claude-1"), codex_account("codex-1", 1)}}});
    answer_usage();
    const HWND hwnd = launch();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_TRUE(driver_->wait_for_log("tray sync: 2 icons, uids=[4097, 8193]", 30s)) << driver_->log();

    SetCursorPos(1900, 1060);
    PostMessageW(hwnd, WM_APP_TRAY, 4097, WM_MOUSEMOVE);
    ASSERT_TRUE(wait_visible(hwnd, true));
    EXPECT_TRUE(driver_->log_has("show_panel SHOW trigger=Tray"));

    // Two rows: a Claude row with no model bars and a Codex row, in columns at 96 DPI.
    std::vector<poller::UsageSnapshot> rows(2);
    rows[0] = {"claude-1", std::nullopt, poller::UsageData{}, accounts::Provider::Claude};
    rows[1] = {"codex-1", std::nullopt, poller::UsageData{}, accounts::Provider::Codex};
    const auto size = panel::panel_size(settings::PanelLayout::Columns, rows, 96);
    // The tray line also comes at start-up, before the first poll stored its readings: the panel
    // grows to this size once they arrive, and is then placed again, flush with the work area's
    // bottom-right corner.
    const int screen_right = GetSystemMetrics(SM_CXSCREEN);
    EXPECT_TRUE(e2e::wait_until([&] {
        const auto r = e2e::window_rect(hwnd);
        return r.width() == size.width && r.height() == size.height && r.right == screen_right;
    })) << e2e::window_rect(hwnd).left
        << "," << e2e::window_rect(hwnd).width() << "x" << e2e::window_rect(hwnd).height();
    // Drawn opaque in the dark theme's background colour.
    const auto rect = e2e::window_rect(hwnd);
    EXPECT_TRUE(e2e::wait_until([&] {
        return e2e::count_screen_pixels(rect, RGB(0x17, 0x18, 0x1C)) > rect.width() * rect.height() / 2;
    })) << "opaque background pixels: "
        << e2e::count_screen_pixels(rect, RGB(0x17, 0x18, 0x1C));
}

TEST_F(GaugeletProgram, PointerAwayHidesTheTrayPanelAndAPinnedPanelStays) {
    const HWND hwnd = launch();
    ASSERT_NE(hwnd, nullptr);
    SetCursorPos(1900, 1060);
    PostMessageW(hwnd, WM_APP_TRAY, 65535, WM_MOUSEMOVE);
    ASSERT_TRUE(wait_visible(hwnd, true));
    SetCursorPos(100, 100);
    EXPECT_TRUE(wait_visible(hwnd, false));
    EXPECT_TRUE(driver_->wait_for_log("hide_panel (pinned=false)"));

    // Shown again and pinned by a click on the pin glyph (16 px square, 6 px from the top right).
    SetCursorPos(1900, 1060);
    PostMessageW(hwnd, WM_APP_TRAY, 65535, WM_MOUSEMOVE);
    ASSERT_TRUE(wait_visible(hwnd, true));
    const auto rect = e2e::window_rect(hwnd);
    PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(rect.width() - 14, 14));
    EXPECT_TRUE(wait_setting("pinned", true));
    EXPECT_TRUE(driver_->wait_for_log("pin toggled -> pinned=true"));
    SetCursorPos(100, 100);
    // The watchdog keeps checking every 200 ms and hides an unpinned panel after three misses; a
    // pinned one is still there well past that.
    const std::size_t before = driver_->log().size();
    EXPECT_FALSE(e2e::wait_until([&] { return !IsWindowVisible(hwnd); }, 2s)) << "the pinned panel hid";
    PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));  // a click beside the pin
    EXPECT_TRUE(driver_->wait_for_log("WM_LBUTTONDOWN (2,2)"));
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_EQ(driver_->log().find("hide_panel", before), std::string::npos);

    PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(rect.width() - 14, 14));
    EXPECT_TRUE(wait_setting("pinned", false)) << driver_->log();
    EXPECT_TRUE(wait_visible(hwnd, false)) << "unpinned, the pointer away hides it";
}

TEST_F(GaugeletProgram, TheHotCornerShowsThePanelAtTheCorner) {
    const HWND hwnd = launch();
    ASSERT_NE(hwnd, nullptr);
    SetCursorPos(500, 500);
    PostMessageW(hwnd, WM_COMMAND, 111, 0);
    ASSERT_TRUE(wait_setting("panel_on_corner_hover", true));
    SetCursorPos(0, 0);
    ASSERT_TRUE(wait_visible(hwnd, true));
    EXPECT_TRUE(driver_->log_has("show_panel SHOW trigger=Corner"));
    const auto rect = e2e::window_rect(hwnd);
    EXPECT_EQ(rect.left, 8);
    EXPECT_EQ(rect.top, 8);
}

TEST_F(GaugeletProgram, AnAddedAccountJoinsAndARemovedOneTakesOnlyItsFolder) {
    write_settings({{"accounts", {codex_account("codex-1", 0)}}});
    answer_usage();
    const HWND hwnd = launch();
    ASSERT_NE(hwnd, nullptr);
    PostMessageW(hwnd, WM_COMMAND, 70, 0);
    ASSERT_TRUE(e2e::wait_until(
        [&] {
            const auto settings = driver_->settings();
            return settings.is_object() && settings.contains("accounts") && settings["accounts"].size() == 2;
        },
        60s))
        << driver_->log();
    EXPECT_EQ(driver_->settings()["accounts"][1]["id"], "claude-1");
    EXPECT_TRUE(std::filesystem::exists(account_dir("claude-1") / ".credentials.json"));
    EXPECT_TRUE(driver_->wait_for_log("tray sync: 2 icons, uids=[8193, 4097]", 30s)) << driver_->log();

    PostMessageW(hwnd, WM_COMMAND, 301, 0);
    ASSERT_TRUE(e2e::wait_until(
        [&] {
            const auto settings = driver_->settings();
            return settings.is_object() && settings["accounts"].size() == 1;
        },
        60s));
    EXPECT_EQ(driver_->settings()["accounts"][0]["id"], "codex-1");
    EXPECT_FALSE(std::filesystem::exists(account_dir("claude-1")));
    EXPECT_TRUE(std::filesystem::exists(account_dir("codex-1") / "auth.json"));
}

TEST_F(GaugeletProgram, ResetsInThePastRepollEveryFiveSecondsUntilFreshDataArrives) {
    write_settings({{"accounts", {codex_account("codex-1", 0)}}});
    std::atomic<int> answered{0};
    server_.route("GET", CODEX_USAGE, [&answered](const test_http::SeenRequest&) {
        // The first two answers say every window has already reset; the third is fresh.
        const int n = ++answered;
        const std::int64_t now = unix_now();
        return Reply{200, {}, n <= 2 ? codex_body(now - 60, now - 30) : future_codex_body()};
    });
    const HWND hwnd = launch();
    ASSERT_NE(hwnd, nullptr);
    // Three answers well within the 60-second poll period: the quick re-poll ran twice.
    EXPECT_TRUE(e2e::wait_until([&] { return answered.load() >= 3; }, 30s)) << answered.load();
    // The fresh reading stops it: no fourth request in more than a re-poll period.
    EXPECT_TRUE(driver_->wait_for_log("quick re-poll stopped")) << driver_->log();
    const int after_fresh = answered.load();
    EXPECT_FALSE(e2e::wait_until([&] { return answered.load() > after_fresh; }, 8s)) << answered.load();
}

// Tool starts the fake tool recorded in `log` with exactly these arguments.
std::size_t tool_calls(const std::filesystem::path& log, const std::vector<std::string>& args) {
    const auto calls = fake_tool::read_invocations(log);
    return static_cast<std::size_t>(
        std::count_if(calls.begin(), calls.end(), [&](const auto& call) { return call.args == args; }));
}

TEST_F(GaugeletProgram, SteadyPollsStartNoTool) {
    write_settings({{"accounts", {claude_account("claude-1"), claude_account("claude-2")}}});
    for (const char* id : {"claude-1", "claude-2"}) {
        std::filesystem::remove(account_dir(id) / "fake-tool-log.jsonl");  // the sign-in's own calls
    }
    answer_usage();
    // The "--version" probe runs with the program's own environment: this folder records it.
    const auto probe_home = root_.path() / "probe-home";
    std::filesystem::create_directories(probe_home);
    const auto previous_home = platform::get_env("CLAUDE_CONFIG_DIR");
    platform::set_env("CLAUDE_CONFIG_DIR", text::path_to_utf8(probe_home).value());
    const HWND hwnd = launch();
    platform::set_env("CLAUDE_CONFIG_DIR", previous_home);
    ASSERT_NE(hwnd, nullptr);

    // The start-up poll, then three more: each asks the usage endpoint once per account. Polls run
    // one after the other, so once the fourth has asked, the first three have finished.
    for (std::size_t polls = 1; polls <= 4; ++polls) {
        if (polls > 1) {
            PostMessageW(hwnd, WM_TIMER, 1, 0);  // the poll timer's tick
        }
        ASSERT_TRUE(e2e::wait_until([&] { return server_.requests(CLAUDE_USAGE).size() >= 2 * polls; }, 60s))
            << driver_->log();
    }
    EXPECT_EQ(tool_calls(probe_home / "fake-tool-log.jsonl", {"--version"}), 1u) << "one discovery in all";
    for (const char* id : {"claude-1", "claude-2"}) {
        EXPECT_EQ(tool_calls(account_dir(id) / "fake-tool-log.jsonl", {"auth", "status"}), 1u)
            << id << ": one status query for the label in three polls and more";
    }
}

TEST_F(GaugeletProgram, APinnedPanelShowsAtStartAndComesBackAfterAShellRestartOrResume) {
    write_settings({{"pinned", true}});
    const HWND hwnd = launch();
    ASSERT_NE(hwnd, nullptr);
    ASSERT_TRUE(wait_visible(hwnd, true));
    EXPECT_TRUE(driver_->wait_for_log("show_panel SHOW trigger=Tray"));

    PostMessageW(hwnd, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(driver_->wait_for_log("TaskbarCreated received; re-adding tray icons"));
    EXPECT_TRUE(driver_->wait_for_log("reassert_pinned_topmost"));
    PostMessageW(hwnd, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    EXPECT_TRUE(driver_->wait_for_log("WM_POWERBROADCAST resume; re-asserting pinned panel"));
    const std::string log = driver_->log();
    std::size_t syncs = 0;
    for (std::size_t at = log.find("tray sync: 1 icons, uids=[65535]"); at != std::string::npos;
         at = log.find("tray sync: 1 icons, uids=[65535]", at + 1)) {
        ++syncs;
    }
    EXPECT_GE(syncs, 2U) << "the placeholder icon is added again after the shell restarted";
    EXPECT_TRUE(IsWindowVisible(hwnd));
}

// A 429 that names no wait keeps the usage endpoint alone for minutes: later polls read the
// Messages headers only.
TEST_F(GaugeletProgram, A429WithoutAWaitLeavesTheUsageEndpointAloneForTheNextPolls) {
    constexpr WPARAM TIMER_POLL = 1;
    write_settings({{"accounts", {claude_account("claude-1")}}});
    server_.route("GET", CLAUDE_USAGE,
                  [](const test_http::SeenRequest&) { return test_fakes::rate_limited_without_wait("0"); });
    server_.route("POST", "/v1/messages", [](const test_http::SeenRequest&) {
        const std::string reset = std::to_string(unix_now() + 3600);
        return Reply{200,
                     {{"anthropic-ratelimit-unified-5h-utilization", "0.25"},
                      {"anthropic-ratelimit-unified-5h-reset", reset},
                      {"anthropic-ratelimit-unified-7d-utilization", "0.5"},
                      {"anthropic-ratelimit-unified-7d-reset", reset}},
                     "{}"};
    });
    const HWND hwnd = launch();
    ASSERT_NE(hwnd, nullptr);
    const auto messages = [&] { return server_.requests("/v1/messages").size(); };
    ASSERT_TRUE(e2e::wait_until([&] { return messages() >= 1; }, 30s)) << driver_->log();
    for (std::size_t poll = 2; poll <= 4; ++poll) {
        PostMessageW(hwnd, WM_TIMER, TIMER_POLL, 0);
        ASSERT_TRUE(e2e::wait_until([&] { return messages() >= poll; }, 30s)) << "poll " << poll;
    }
    EXPECT_EQ(server_.requests(CLAUDE_USAGE).size(), 1U) << driver_->log();
    EXPECT_TRUE(driver_->log_has("usage endpoint 429 without a usable Retry-After; not asking it for 300 s"));
    EXPECT_TRUE(driver_->log_has("usage endpoint cooling down after 429"));
}

// A reset that stays in the past is asked about again after 5, 10 and 20 s: each wait longer than
// the one before, not a poll every 5 s.
TEST_F(GaugeletProgram, APassedResetIsRepolledLessAndLessOften) {
    write_settings({{"accounts", {codex_account("codex-1", 0)}}});
    const std::int64_t passed = unix_now() - 60;
    // Shared with the server's thread, which may still answer a late poll after the test's end.
    struct Asked {
        std::mutex mutex;
        std::vector<std::chrono::steady_clock::time_point> at;
    };
    const auto asked = std::make_shared<Asked>();
    server_.route("GET", CODEX_USAGE, [asked, passed](const test_http::SeenRequest&) {
        {
            std::lock_guard<std::mutex> held(asked->mutex);
            asked->at.push_back(std::chrono::steady_clock::now());
        }
        return Reply{200, {}, codex_body(passed, passed + 30)};
    });
    const HWND hwnd = launch();
    ASSERT_NE(hwnd, nullptr);
    const auto count = [&] {
        std::lock_guard<std::mutex> held(asked->mutex);
        return asked->at.size();
    };
    ASSERT_TRUE(e2e::wait_until([&] { return count() >= 4; }, 60s)) << count() << "\n" << driver_->log();
    std::lock_guard<std::mutex> held(asked->mutex);
    const auto gap = [&](std::size_t i) {
        return std::chrono::duration<double>(asked->at[i + 1] - asked->at[i]).count();
    };
    EXPECT_GT(gap(1), 1.5 * gap(0)) << gap(0) << " s, then " << gap(1) << " s";
    EXPECT_GT(gap(2), 1.5 * gap(1)) << gap(1) << " s, then " << gap(2) << " s";
    EXPECT_TRUE(driver_->log_has("re-poll 3 after a passed reset; next in 40 s")) << driver_->log();
}

// gaugelet-cli adds an account while the program runs: the program polls it and shows its icon,
// and its next save (a menu setting) keeps it in the file.
TEST_F(GaugeletProgram, AnAccountTheCliAddsWhileTheProgramRunsIsPolledAndKept) {
    write_settings({{"accounts", {codex_account("codex-1", 0)}}});
    answer_usage();
    const HWND hwnd = launch();
    ASSERT_NE(hwnd, nullptr);
    ASSERT_TRUE(driver_->wait_for_log("tray sync: 1 icons, uids=[8193]", 30s)) << driver_->log();

    auto cli = driver_->start_cli({"add", "claude"});
    ASSERT_TRUE(cli);
    ASSERT_EQ(cli->wait_for(60s), platform::Process::State::Exited);
    EXPECT_TRUE(driver_->wait_for_log("settings file changed by another writer; taken in (accounts=2)", 30s))
        << driver_->log();
    EXPECT_TRUE(driver_->wait_for_log("tray sync: 2 icons, uids=[8193, 4097]", 30s)) << driver_->log();
    EXPECT_TRUE(e2e::wait_until([&] { return !server_.requests(CLAUDE_USAGE).empty(); }, 30s));

    PostMessageW(hwnd, WM_COMMAND, 81, 0);
    ASSERT_TRUE(wait_setting("panel_theme", "win11-fluent")) << driver_->settings().dump();
    const auto settings = driver_->settings();
    ASSERT_EQ(settings["accounts"].size(), 2U) << settings.dump();
    EXPECT_EQ(settings["accounts"][1]["id"], "claude-1");
}

// The settings folder cannot be made (a file holds its name): the save is logged with the path and
// the system's reason, the user is told once, and the program runs on.
TEST_F(GaugeletProgram, ASaveThatFailsIsLoggedAndToldOnce) {
    write_text(root_.path() / "Quotavane", "not a folder");
    const HWND hwnd = launch();
    ASSERT_NE(hwnd, nullptr);
    PostMessageW(hwnd, WM_COMMAND, 81, 0);
    EXPECT_TRUE(driver_->wait_for_log("settings not saved to ")) << driver_->log();
    EXPECT_TRUE(driver_->wait_for_log("settings notice shown: Settings could not be saved: "))
        << driver_->log();
    PostMessageW(hwnd, WM_COMMAND, 83, 0);
    EXPECT_TRUE(e2e::wait_until([&] {
        const std::string log = driver_->log();
        return log.find("settings not saved to ") != log.rfind("settings not saved to ");
    })) << "the second change tries again";
    PostMessageW(hwnd, WM_COMMAND, 2, 0);
    EXPECT_TRUE(wait_exit());
    const std::string log = driver_->log();
    EXPECT_EQ(log.find("settings notice shown"), log.rfind("settings notice shown")) << "told once";
}

// A file Notepad saved with a byte-order mark loads; one with a trailing comma is named in the log
// with its line and column, kept aside and told.
TEST_F(GaugeletProgram, AMarkedFileLoadsAndABrokenOneIsKeptAsideAndTold) {
    const std::string account = codex_account("codex-1", 0).dump();
    write_text(root_.path() / "Quotavane" / "settings.json", "\xEF\xBB\xBF{\"accounts\": [" + account + "]}");
    answer_usage();
    HWND hwnd = launch();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_TRUE(driver_->wait_for_log("tray sync: 1 icons, uids=[8193]", 30s)) << driver_->log();
    PostMessageW(hwnd, WM_COMMAND, 2, 0);
    ASSERT_TRUE(wait_exit());

    const std::string broken = "{\n  \"accounts\": [" + account + "],\n}";
    write_text(driver_->settings_file(), broken);
    hwnd = launch();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_TRUE(driver_->wait_for_log("settings file did not load; running on the defaults: "))
        << driver_->log();
    EXPECT_TRUE(driver_->log_has("settings.json:3:1: ")) << driver_->log();
    EXPECT_TRUE(
        driver_->wait_for_log("settings notice shown: The settings file did not load and was kept aside as "
                              "settings.json.invalid: "))
        << driver_->log();
    EXPECT_EQ(test_support::read_text(root_.path() / "Quotavane" / "settings.json.invalid"), broken);
    EXPECT_EQ(test_support::read_text(driver_->settings_file()), broken) << "the file itself is left alone";
}

}  // namespace

namespace {

// Shows the tray-anchored panel and waits until it has its place; that place.
state::Rect show_tray_panel(HWND hwnd) {
    SetCursorPos(1900, 1060);
    PostMessageW(hwnd, WM_APP_TRAY, 65535, WM_MOUSEMOVE);
    state::Rect placed{};
    e2e::wait_until([&] {
        placed = e2e::window_rect(hwnd);
        return IsWindowVisible(hwnd) && placed.right == GetSystemMetrics(SM_CXSCREEN);
    });
    return placed;
}

TEST_F(GaugeletProgram, DisplayAndDpiChangesPlaceAVisiblePanelAgain) {
    const HWND hwnd = launch();
    ASSERT_NE(hwnd, nullptr);
    const state::Rect placed = show_tray_panel(hwnd);
    ASSERT_TRUE(IsWindowVisible(hwnd));
    struct Case {
        UINT message;
        WPARAM wparam;
        LPARAM lparam;
    };
    RECT suggested{placed.left, placed.top, placed.right, placed.bottom};
    const Case cases[] = {
        {WM_DISPLAYCHANGE, 24, MAKELPARAM(1920, 1080)},
        {WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested)},
    };
    for (const Case& c : cases) {
        // Moved away as a resolution change would leave it; the message puts it back at the tray.
        SetWindowPos(hwnd, nullptr, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ASSERT_TRUE(e2e::wait_until([&] { return e2e::window_rect(hwnd).left == 40; }));
        // WM_DPICHANGED carries a pointer, so it is sent (the system marshals it); the other is posted.
        if (c.message == WM_DPICHANGED) {
            SendMessageTimeoutW(hwnd, c.message, c.wparam, c.lparam, SMTO_NORMAL, 10000, nullptr);
        } else {
            PostMessageW(hwnd, c.message, c.wparam, c.lparam);
        }
        EXPECT_TRUE(e2e::wait_until([&] { return e2e::window_rect(hwnd) == placed; }))
            << "message " << c.message << ": at " << e2e::window_rect(hwnd).left << ","
            << e2e::window_rect(hwnd).top;
    }
}

TEST_F(GaugeletProgram, ASettingChangeMakesTheThemeFollowTheSystem) {
    const HWND hwnd = launch();
    ASSERT_NE(hwnd, nullptr);
    for (const bool light : {true, false}) {
        const e2e::SystemTheme theme(light);
        // Sent, as the system does: its text travels with it, which a posted message cannot carry.
        SendMessageTimeoutW(hwnd, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"ImmersiveColorSet"),
                            SMTO_NORMAL, 10000, nullptr);
        EXPECT_TRUE(driver_->wait_for_log(light ? "system theme now light" : "system theme now dark"))
            << driver_->log();
    }
}

TEST_F(GaugeletProgram, ARightClickOnThePanelOpensTheMenu) {
    const HWND hwnd = launch();
    ASSERT_NE(hwnd, nullptr);
    show_tray_panel(hwnd);
    ASSERT_TRUE(IsWindowVisible(hwnd));
    for (int opening = 1; opening <= 2; ++opening) {
        PostMessageW(hwnd, WM_RBUTTONUP, 0, MAKELPARAM(20, 20));
        EXPECT_TRUE(e2e::wait_until([&] { return !e2e::open_menus(process_->id()).empty(); }))
            << driver_->log();
        EXPECT_TRUE(driver_->log_has("context menu opened"));
        // Escape closes it; the next right-click opens it again.
        for (const HWND menu : e2e::open_menus(process_->id())) {
            PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        }
        EXPECT_TRUE(e2e::wait_until([&] { return e2e::open_menus(process_->id()).empty(); })) << opening;
    }
}

}  // namespace

// How often `text` occurs in the log.
std::size_t occurrences(const std::string& log, const std::string& text) {
    std::size_t count = 0;
    for (auto at = log.find(text); at != std::string::npos; at = log.find(text, at + text.size())) {
        ++count;
    }
    return count;
}

TEST_F(GaugeletProgram, OneNearLimitAndOneResetNoticeOverSeveralPolls) {
    write_settings({{"accounts", {codex_account("codex-1", 0)}}});
    // Two polls in a window at 95-96 %, then three in the next window at 4 %.
    const std::int64_t reset = unix_now() + 3600;
    std::atomic<int> answered{0};
    server_.route("GET", CODEX_USAGE, [&answered, reset](const test_http::SeenRequest&) {
        const int n = ++answered;
        const bool first_window = n <= 2;
        const std::int64_t five_hour_reset = first_window ? reset : reset + 5 * 3600;
        return Reply{200,
                     {},
                     nlohmann::json{
                         {"rate_limit",
                          {{"primary_window",
                            {{"used_percent", first_window ? 95 + n - 1 : 4}, {"reset_at", five_hour_reset}}},
                           {"secondary_window", {{"used_percent", 20}, {"reset_at", reset + 6 * 86400}}}}}}
                         .dump()};
    });
    const HWND hwnd = launch();
    ASSERT_NE(hwnd, nullptr);
    // Each poll ends in one tray synchronisation, and the notices follow it at once; the poll
    // timer's message asks for the next poll.
    for (int poll = 1; poll <= 6; ++poll) {
        ASSERT_TRUE(e2e::wait_until([&] { return answered.load() >= poll; }, 30s)) << poll;
        ASSERT_TRUE(e2e::wait_until(
            [&] {
                return occurrences(driver_->log(), "tray sync: 1 icons, uids=[8193]") >=
                       std::size_t(poll) + 1;
            },
            30s))
            << driver_->log();
        PostMessageW(hwnd, WM_TIMER, 1, 0);
    }
    const std::string log = driver_->log();
    EXPECT_EQ(occurrences(log, "notice: "), 2u) << log;
    EXPECT_EQ(occurrences(log, "notice: codex-1 5h near-limit\n"), 1u) << log;
    EXPECT_EQ(occurrences(log, "notice: codex-1 5h reset\n"), 1u) << log;
    EXPECT_LT(log.find("notice: codex-1 5h near-limit"), log.find("notice: codex-1 5h reset"));
    // The windows are remembered beside the settings for the next start.
    const auto memory =
        nlohmann::json::parse(test_support::read_text(root_.path() / "Quotavane" / "notices.json"));
    ASSERT_EQ(memory["windows"].size(), 1u) << memory.dump();
    EXPECT_EQ(memory["windows"][0]["reset_decided"], true);
}

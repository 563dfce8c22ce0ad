// The real gaugelet.exe, started under Wine with its own settings and temporary folders, the fake
// provider tools first in PATH and a scripted stand-in server, driven with the messages a user's
// actions send. Each scenario reads back the settings file, the log, the window and the screen.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "accounts/login.hpp"
#include "fake_tools.hpp"
#include "gaugelet_driver.hpp"
#include "panel/layout.hpp"
#include "platform/clock.hpp"
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

TEST_F(GaugeletProgram, ExitAndCloseEndTheProcessPromptly) {
    struct Case {
        UINT message;
        WPARAM wparam;
    };
    for (const Case c : {Case{WM_COMMAND, 2}, Case{WM_CLOSE, 0}}) {
        const HWND hwnd = launch();
        ASSERT_NE(hwnd, nullptr);
        PostMessageW(hwnd, c.message, c.wparam, 0);
        EXPECT_TRUE(wait_exit()) << "message " << c.message;
        EXPECT_TRUE(e2e::program_windows(process_->id()).empty());
    }
}

TEST_F(GaugeletProgram, EverySettingsCommandLandsInTheFile) {
    write_settings({{"accounts", {claude_account("claude-1"), codex_account("codex-1", 1)}}});
    answer_usage();
    const HWND hwnd = launch();
    ASSERT_NE(hwnd, nullptr);

    // Past the list: saved, and an absent tray selection stays absent.
    PostMessageW(hwnd, WM_COMMAND, 405, 0);
    ASSERT_TRUE(e2e::wait_until([&] { return driver_->settings().is_object(); }));
    EXPECT_FALSE(driver_->settings().contains("tray_accounts"));

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
    // The watchdog keeps checking; a pinned panel survives far more than three checks.
    const std::size_t before = driver_->log().size();
    PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));  // a click beside the pin
    EXPECT_TRUE(driver_->wait_for_log("WM_LBUTTONDOWN (2,2)"));
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_EQ(driver_->log().find("hide_panel", before), std::string::npos);

    PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(rect.width() - 14, 14));
    EXPECT_TRUE(wait_setting("pinned", false));
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

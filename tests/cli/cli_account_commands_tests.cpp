// gaugelet-cli's account commands and `status --line` run as a script would run them, each
// scenario one row: what is on disk first, the command, its exit code and output, and what is on
// disk (and was asked of the tools and the servers) afterwards.
#include <algorithm>
#include <functional>

#include "cli_program_fixture.hpp"
#include "platform/file_io.hpp"

namespace {

using namespace cli_test;
using test_http::Reply;
using test_support::read_text;
using test_support::write_text;

class CliAccounts : public CliWorld {
  public:
    std::filesystem::path quotavane() const { return root_.path() / "Quotavane"; }
    std::filesystem::path own_folder() const { return root_.path() / "own" / "claude"; }

    // claude-1 (signed in, in the accounts folder) and a tray selection holding it.
    void one_claude_account() {
        const auto dir = claude_account("claude-1", "one@example.com");
        write_settings(
            nlohmann::json{{"language", "en"},
                           {"tray_accounts", {"claude-1"}},
                           {"accounts", {account("claude-1", "claude", dir, "one@example.com", 0)}}}
                .dump(2));
    }

    // A folder of the user's own, signed in by the Claude tool long ago.
    void signed_in_own_folder() const {
        std::filesystem::create_directories(own_folder());
        write_text(own_folder() / ".credentials.json",
                   R"({"claudeAiOauth": {"accessToken": "sk-ant-oat01-own", "expiresAt": 9999999999999}})");
        write_text(own_folder() / ".claude.json", R"({"oauthAccount": {"emailAddress": "own@example.com"}})");
    }

    nlohmann::json saved() const { return nlohmann::json::parse(read_text(settings_file())); }

    std::vector<std::string> tool_calls() const {
        std::vector<std::string> calls;
        for (const auto& call : fake_tool::read_invocations(tool_log())) {
            if (call.args == std::vector<std::string>{"--version"}) {
                continue;  // finding the tool
            }
            std::string line = call.tool;
            for (const auto& argument : call.args) {
                line += " " + argument;
            }
            calls.push_back(line);
        }
        return calls;
    }

    std::string line_for(const char* id, const char* provider, const char* email,
                         const std::filesystem::path& dir) const {
        return std::string(id) + "  " + provider + "  " + email + "  " + utf8(dir) + "\n";
    }
};

struct Scenario {
    const char* name;
    std::function<void(CliAccounts&)> before;
    std::function<std::vector<std::string>(CliAccounts&)> arguments;
    const char* tool_scenario;  // GAUGELET_FAKE_TOOL_SCENARIO
    std::uint32_t exit_code;
    std::function<void(CliAccounts&, const Outcome&)> check;
};

TEST(CliAccounts, EveryAccountCommandWithItsExitCodes) {
    const auto none = [](CliAccounts&) {};
    const auto one = [](CliAccounts& t) { t.one_claude_account(); };
    const auto own = [](CliAccounts& t) {
        t.one_claude_account();
        t.signed_in_own_folder();
    };
    const auto args = [](std::vector<std::string> a) { return [a](CliAccounts&) { return a; }; };

    const Scenario scenarios[] = {
        {"accounts lists id, provider, e-mail or -, folder",
         [](CliAccounts& t) {
             t.write_accounts({CliWorld::account("claude-1", "claude", "/a/claude-1", "one@example.com", 0),
                               CliWorld::account("codex-12", "codex", "/b", nullptr, 1)});
         },
         args({"accounts"}), "", 0,
         [](CliAccounts&, const Outcome& r) {
             EXPECT_EQ(r.out,
                       "claude-1  claude  one@example.com  /a/claude-1\n"
                       "codex-12  codex   -                /b\n");
         }},
        {"accounts --json gives the records as the file holds them",
         [](CliAccounts& t) { t.write_accounts({CliWorld::account("codex-1", "codex", "/b", nullptr, 3)}); },
         args({"accounts", "--json"}), "", 0,
         [](CliAccounts&, const Outcome& r) {
             EXPECT_EQ(
                 nlohmann::json::parse(r.out),
                 nlohmann::json::parse(
                     R"([{"id": "codex-1", "provider": "codex", "dir": "/b", "email": null, "order": 3}])"));
         }},
        {"add signs a new account in and saves it with its tray icon", one, args({"add", "claude"}),
         R"({"email": "new@example.com"})", 0,
         [](CliAccounts& t, const Outcome& r) {
             const auto dir = t.quotavane() / "accounts" / "claude-2";
             // The tool's own sign-in talks to the same terminal.
             EXPECT_EQ(r.out,
                       "Login successful.\n" + t.line_for("claude-2", "claude", "new@example.com", dir));
             EXPECT_EQ(t.saved()["accounts"][1]["dir"], utf8(dir));
             EXPECT_EQ(t.saved()["tray_accounts"], nlohmann::json({"claude-1", "claude-2"}));
             // One poll cycle at the end: each account's usage asked once.
             EXPECT_EQ(t.server_.requests(CLAUDE_USAGE).size(), 2u);
         }},
        {"a cancelled add saves nothing and leaves no folder", one, args({"add", "codex"}),
         R"({"cancel": true})", 1,
         [](CliAccounts& t, const Outcome& r) {
             EXPECT_EQ(r.err,
                       "Login cancelled\ngaugelet-cli: the sign-in failed, was cancelled or timed out; "
                       "nothing was saved\n");
             EXPECT_EQ(t.saved()["accounts"].size(), 1u);
             EXPECT_FALSE(std::filesystem::exists(t.quotavane() / "accounts" / "codex-1"));
         }},
        {"relogin refreshes the stored e-mail", one, args({"relogin", "claude-1"}),
         R"({"email": "again@example.com"})", 0,
         [](CliAccounts& t, const Outcome& r) {
             // The scenario file beside the account wins over the variable; none is there.
             EXPECT_EQ(r.out, "Login successful.\n" + t.line_for("claude-1", "claude", "again@example.com",
                                                                 t.quotavane() / "accounts" / "claude-1"));
             EXPECT_EQ(t.saved()["accounts"][0]["email"], "again@example.com");
         }},
        {"a cancelled relogin changes nothing",
         [](CliAccounts& t) {
             const auto dir = t.quotavane() / "accounts" / "claude-1";  // signed out meanwhile
             std::filesystem::create_directories(dir);
             t.write_accounts({CliWorld::account("claude-1", "claude", dir, "one@example.com", 0)});
         },
         args({"relogin", "claude-1"}), R"({"cancel": true})", 1,
         [](CliAccounts& t, const Outcome& r) {
             EXPECT_EQ(r.err,
                       "Login cancelled\ngaugelet-cli: the sign-in failed, was cancelled or timed out; "
                       "claude-1 is unchanged\n");
             EXPECT_EQ(t.saved()["accounts"][0]["email"], "one@example.com");
         }},
        {"a relogin cancelled on an account still signed in fails and changes nothing", one,
         args({"relogin", "claude-1"}), R"({"cancel": true, "email": "other@example.com"})", 1,
         [](CliAccounts& t, const Outcome& r) {
             EXPECT_EQ(r.err,
                       "Login cancelled\ngaugelet-cli: the sign-in failed, was cancelled or timed out; "
                       "claude-1 is unchanged\n");
             EXPECT_EQ(t.saved()["accounts"][0]["email"], "one@example.com");
         }},
        {"remove signs out and deletes a folder of the program's own", one, args({"remove", "claude-1"}), "",
         0,
         [](CliAccounts& t, const Outcome& r) {
             const auto dir = t.quotavane() / "accounts" / "claude-1";
             EXPECT_EQ(r.out, t.line_for("claude-1", "claude", "one@example.com", dir));
             EXPECT_FALSE(std::filesystem::exists(dir));
             EXPECT_FALSE(t.saved().contains("accounts"));
             EXPECT_EQ(t.saved()["tray_accounts"], nlohmann::json::array());
             EXPECT_EQ(t.tool_calls(), std::vector<std::string>{"claude auth logout"});
         }},
        {"unknown ids", one, args({"relogin", "claude-9"}), "", 2,
         [](CliAccounts& t, const Outcome& r) {
             EXPECT_EQ(r.err, "gaugelet-cli: no account \"claude-9\" in " + utf8(t.settings_file()) + "\n");
             EXPECT_EQ(t.run({"remove", "claude-9"}).exit_code, 2u);
             EXPECT_EQ(t.run({"status", "--line", "--account", "claude-9"}).exit_code, 2u);
             EXPECT_TRUE(t.tool_calls().empty());
         }},
        {"adopting a signed-in folder needs no sign-in", own,
         [](CliAccounts& t) {
             return std::vector<std::string>{"add", "claude", "--dir", utf8(t.own_folder())};
         },
         "", 0,
         [](CliAccounts& t, const Outcome& r) {
             EXPECT_EQ(r.out, t.line_for("claude-2", "claude", "own@example.com", t.own_folder()));
             EXPECT_EQ(t.saved()["accounts"][1]["dir"], utf8(t.own_folder()));
             for (const auto& call : t.tool_calls()) {
                 EXPECT_EQ(call, "claude auth status");
             }
         }},
        {"adopting a folder without credentials signs in there", none,
         [](CliAccounts& t) {
             return std::vector<std::string>{"add", "codex", "--dir", utf8(t.own_folder())};
         },
         R"({"email": "mine@example.com"})", 0,
         [](CliAccounts& t, const Outcome& r) {
             EXPECT_EQ(r.out, t.line_for("codex-1", "codex", "mine@example.com", t.own_folder()));
             EXPECT_TRUE(std::filesystem::exists(t.own_folder() / "auth.json"));
         }},
        {"a cancelled sign-in in a new --dir leaves no folder", none,
         [](CliAccounts& t) {
             return std::vector<std::string>{"add", "codex", "--dir", utf8(t.own_folder())};
         },
         R"({"cancel": true})", 1,
         [](CliAccounts& t, const Outcome&) {
             EXPECT_FALSE(std::filesystem::exists(t.own_folder()));
             EXPECT_FALSE(std::filesystem::exists(t.settings_file()));
         }},
        {"a --dir inside the accounts folder or already watched is refused", one,
         [](CliAccounts& t) {
             return std::vector<std::string>{"add", "claude", "--dir",
                                             utf8(t.quotavane() / "accounts" / "x")};
         },
         "", 2,
         [](CliAccounts& t, const Outcome& r) {
             EXPECT_EQ(r.err,
                       "gaugelet-cli: --dir " + utf8(t.quotavane() / "accounts" / "x") +
                           " lies inside the program's own accounts folder; add without --dir makes one "
                           "there\n");
             EXPECT_TRUE(t.tool_calls().empty());
             t.signed_in_own_folder();
             EXPECT_EQ(t.run({"add", "claude", "--dir", utf8(t.own_folder())}).exit_code, 0u);
             const auto again = t.run({"add", "claude", "--dir", utf8(t.own_folder())});
             EXPECT_EQ(again.err,
                       "gaugelet-cli: --dir " + utf8(t.own_folder()) + " is already watched as claude-2\n");
             EXPECT_EQ(again.exit_code, 2u);
         }},
        {"removing an adopted account leaves its folder signed in", own,
         [](CliAccounts& t) {
             EXPECT_EQ(t.run({"add", "claude", "--dir", utf8(t.own_folder())}).exit_code, 0u);
             std::filesystem::remove(t.tool_log());
             return std::vector<std::string>{"remove", "claude-2"};
         },
         "", 0,
         [](CliAccounts& t, const Outcome& r) {
             EXPECT_EQ(r.out, t.line_for("claude-2", "claude", "own@example.com", t.own_folder()) + "left " +
                                  utf8(t.own_folder()) +
                                  " on disk: it is not in the program's accounts folder\n");
             EXPECT_TRUE(std::filesystem::exists(t.own_folder() / ".credentials.json"));
             EXPECT_EQ(t.saved()["accounts"].size(), 1u);
             const auto calls = t.tool_calls();  // no logout of the user's own sign-in
             EXPECT_EQ(std::count(calls.begin(), calls.end(), "claude auth logout"), 0) << calls.size();
         }},
        {"--settings in a folder that does not exist yet", none,
         [](CliAccounts& t) {
             return std::vector<std::string>{"--settings", utf8(t.root_.path() / "new" / "deeper" / "s.json"),
                                             "add", "codex"};
         },
         "", 0,
         [](CliAccounts& t, const Outcome& r) {
             const auto dir = t.root_.path() / "new" / "deeper" / "accounts" / "codex-1";
             EXPECT_EQ(r.out, t.line_for("codex-1", "codex", "user@example.com", dir));
             const auto listed =
                 t.run({"accounts", "--settings", utf8(t.root_.path() / "new" / "deeper" / "s.json")});
             EXPECT_EQ(listed.out, r.out);
             EXPECT_FALSE(std::filesystem::exists(t.settings_file()));
         }},
    };
    for (const auto& s : scenarios) {
        SCOPED_TRACE(s.name);
        CliAccounts t;  // a fresh folder, server and tool log per scenario
        t.server_.script("GET", CLAUDE_USAGE, {Reply{200, {}, LIMITS_BODY}, Reply{200, {}, LIMITS_BODY}});
        t.server_.script("GET", CODEX_USAGE, {Reply{200, {}, CODEX_BODY}});
        t.start_server();
        s.before(t);
        const auto arguments = s.arguments(t);
        const Outcome result = t.run(arguments, {{"GAUGELET_FAKE_TOOL_SCENARIO", s.tool_scenario}});
        EXPECT_EQ(result.exit_code, s.exit_code) << result.err;
        s.check(t, result);
    }
}

class CliAccountsTest : public ::testing::Test, public CliAccounts {};

TEST_F(CliAccountsTest, StatusLineAnswersFromAFreshPollAndPollsAgainWhenItIsStale) {
    one_claude_account();
    server_.script("GET", CLAUDE_USAGE, {Reply{200, {}, LIMITS_BODY}, Reply{200, {}, LIMITS_BODY}});
    start_server();

    const Outcome first = run({"status", "--json"});
    ASSERT_EQ(first.exit_code, 0u) << first.err;
    ASSERT_EQ(server_.requests(CLAUDE_USAGE).size(), 1u);

    const Outcome fresh = run({"status", "--line", "--max-age", "3600"});
    EXPECT_EQ(fresh.out, "one 12%/40%\n");
    EXPECT_EQ(fresh.exit_code, 0u);
    EXPECT_EQ(server_.requests(CLAUDE_USAGE).size(), 1u);  // nothing reached the server

    // The same cache, written an hour earlier.
    const auto cache_file = temp_.path() / "gaugelet-cli-status.json";
    auto cache = nlohmann::json::parse(read_text(cache_file));
    cache["polled_at_ms"] = cache["polled_at_ms"].get<std::int64_t>() - 3'600'000;
    write_text(cache_file, cache.dump());
    const Outcome stale = run({"status", "--line", "--account", "claude-1"});
    EXPECT_EQ(stale.out, "one 12%/40%\n");
    EXPECT_EQ(server_.requests(CLAUDE_USAGE).size(), 2u);  // one poll
    EXPECT_GT(nlohmann::json::parse(read_text(cache_file))["polled_at_ms"].get<std::int64_t>(),
              cache["polled_at_ms"].get<std::int64_t>());

    // Used up: the next poll fails, and the line says so with exit 3.
    const Outcome failed = run({"status", "--line", "--max-age", "0"});
    EXPECT_EQ(failed.out, "one ?\n");
    EXPECT_EQ(failed.exit_code, 3u);
}

TEST_F(CliAccountsTest, TheUrlOptionsWinOverTheVariables) {
    one_claude_account();
    server_.script("GET", CLAUDE_USAGE, {Reply{200, {}, LIMITS_BODY}});
    start_server();
    const auto endpoints = server_.endpoints();
    const Outcome result = run({"status", "--line", "--anthropic-url", endpoints.anthropic},
                               {{"GAUGELET_ANTHROPIC_BASE_URL", "http://127.0.0.1:9"}});
    EXPECT_EQ(result.out, "one 12%/40%\n");
    EXPECT_EQ(server_.requests(CLAUDE_USAGE).size(), 1u);
}

}  // namespace

#include <gtest/gtest.h>

#include <algorithm>

#include "accounts/codex_credentials.hpp"
#include "accounts/login.hpp"
#include "accounts/token_refresh.hpp"
#include "fake_tool_support.hpp"
#include "fake_tools.hpp"
#include "platform/environment.hpp"
#include "support/temp_folder.hpp"
#include "text/path_text.hpp"

namespace {

using accounts::Provider;
using test_support::TempFolder;
using test_support::write_text;

std::string text_of(const std::filesystem::path& path) {
    return text::path_to_utf8(path).value();
}

std::vector<fake_tool::Invocation> calls_in(const std::filesystem::path& dir) {
    return fake_tool::read_invocations(dir / "fake-tool-log.jsonl");
}

// The variables a parent session of the Claude tool would have set; clean calls must drop them.
class ToolSessions : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::set_env("CLAUDECODE", std::string("1"));
        platform::set_env("CLAUDE_CODE_ENTRYPOINT", std::string("cli"));
        platform::set_env("GAUGELET_FAKE_TOOL_LOG", std::nullopt);
    }
    void TearDown() override {
        platform::set_env("CLAUDECODE", std::nullopt);
        platform::set_env("CLAUDE_CODE_ENTRYPOINT", std::nullopt);
    }
    accounts::ToolSession session_ = test_tools::fake_tool_session();
};

void expect_clean_claude_call(const fake_tool::Invocation& call, const std::filesystem::path& dir) {
    EXPECT_EQ(call.tool, "claude");
    EXPECT_EQ(call.env.at("CLAUDE_CONFIG_DIR"), text_of(dir));
    EXPECT_FALSE(call.env.at("CLAUDECODE"));
    EXPECT_FALSE(call.env.at("CLAUDE_CODE_ENTRYPOINT"));
}

TEST_F(ToolSessions, ClaudeLoginSignsTheDirectoryInAndReadsTheAddress) {
    TempFolder folder("Zo\xC3\xAB");
    const auto dir = folder / "accounts/claude 1";
    ASSERT_TRUE(accounts::login(Provider::Claude, dir, session_));
    EXPECT_TRUE(std::filesystem::exists(dir / ".credentials.json"));
    const auto calls = calls_in(dir);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].args, (std::vector<std::string>{"auth", "login"}));
    EXPECT_EQ(calls[1].args, (std::vector<std::string>{"auth", "status"}));
    expect_clean_claude_call(calls[0], dir);
    expect_clean_claude_call(calls[1], dir);
    EXPECT_TRUE(accounts::account_email(Provider::Claude, dir, session_).has_value());
}

TEST_F(ToolSessions, AFailedOrHangingClaudeLoginCountsAsFailed) {
    TempFolder folder;
    // The tool's login returns without signing in: its status then reports no one.
    const auto not_signed_in =
        test_tools::write_printing_tool(folder.path(), "claude-not-logged-in", R"({"loggedIn": false})");
    EXPECT_FALSE(
        accounts::login(Provider::Claude, folder / "dir", test_tools::fake_tool_session(not_signed_in)));

    TempFolder hanging;
    write_text(hanging / "fake-tool-scenario.json",
               R"({"match": ["auth", "login"], "rewrite_delay_ms": 60000})");
    accounts::ToolSession quick = session_;
    quick.limits.login = std::chrono::milliseconds(300);
    EXPECT_FALSE(accounts::login(Provider::Claude, hanging.path(), quick))
        << "a slower sign-in counts as cancelled";
}

TEST_F(ToolSessions, ClaudeStatusNeedsLoggedInTrueAndAStringAddress) {
    const struct {
        const char* output;
        std::optional<std::string> email;
    } cases[] = {
        {R"({"loggedIn": true, "email": "dev@example.com"})", "dev@example.com"},
        {R"({"loggedIn": "true", "email": "dev@example.com"})", std::nullopt},
        {R"({"loggedIn": 1, "email": "dev@example.com"})", std::nullopt},
        {R"({"loggedIn": true, "email": 7})", std::nullopt},
        {R"({"loggedIn": true})", std::nullopt},
        {R"({"email": "dev@example.com"})", std::nullopt},
        {R"(Not logged in)", std::nullopt},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        const auto tool = test_tools::write_printing_tool(folder.path(), "claude-status", c.output);
        EXPECT_EQ(accounts::claude_auth_email(folder.path(), test_tools::fake_tool_session(tool)), c.email)
            << c.output;
    }
}

TEST_F(ToolSessions, CodexLoginIsDecidedByLoggedInOnEitherStream) {
    TempFolder folder;
    const auto dir = folder / "codex-1";
    std::filesystem::create_directories(dir);
    write_text(dir / "fake-tool-scenario.json",
               R"({"match": ["login", "status"], "exit_code": 1, "email": "c@x.io"})");
    ASSERT_TRUE(accounts::login(Provider::Codex, dir, session_))
        << "\"Logged in\" on standard error, exit code 1";
    EXPECT_EQ(accounts::load_codex_tokens(dir).has_value(), true);
    const auto calls = calls_in(dir);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].args, (std::vector<std::string>{"login", "status"}));
    EXPECT_EQ(calls[1].env.at("CODEX_HOME"), text_of(dir));

    TempFolder stdout_folder;
    write_text(stdout_folder / "fake-tool-scenario.json",
               R"({"match": ["login", "status"], "status_stream": "stdout"})");
    EXPECT_TRUE(accounts::login(Provider::Codex, stdout_folder.path(), session_));

    // The user never finishes the sign-in: the login is ended at its limit and the status decides.
    TempFolder abandoned;
    write_text(abandoned / "fake-tool-scenario.json", R"({"match": ["login"], "rewrite_delay_ms": 60000})");
    accounts::ToolSession quick = session_;
    quick.limits.login = std::chrono::milliseconds(300);
    EXPECT_FALSE(accounts::login(Provider::Codex, abandoned.path(), quick));
}

std::string claude_file(std::int64_t expires_at_ms, const char* token = "sk-ant-oat01-old") {
    return std::string(R"({"claudeAiOauth": {"accessToken": ")") + token +
           R"(", "refreshToken": "r", "expiresAt": )" + std::to_string(expires_at_ms) + "}}";
}

TEST_F(ToolSessions, AnExpiredClaudeTokenIsRenewedByTheToolOnTheSameCall) {
    TempFolder folder;
    write_text(folder / ".credentials.json", claude_file(1000));
    const auto resolved = accounts::resolve_claude_credentials(folder.path(), session_);
    ASSERT_TRUE(std::holds_alternative<accounts::ClaudeCredentials>(resolved));
    const auto& credentials = std::get<accounts::ClaudeCredentials>(resolved);
    EXPECT_NE(credentials.access_token, "sk-ant-oat01-old");
    EXPECT_FALSE(accounts::credentials_expired(credentials));
    const auto calls = calls_in(folder.path());
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].args, (std::vector<std::string>{"-p", "."}));
    expect_clean_claude_call(calls[0], folder.path());
}

TEST_F(ToolSessions, ClaudeCredentialResolutionFailures) {
    TempFolder missing;
    EXPECT_EQ(std::get<accounts::CredentialsFailure>(
                  accounts::resolve_claude_credentials(missing.path(), session_)),
              accounts::CredentialsFailure::NoCredentials);
    EXPECT_TRUE(calls_in(missing.path()).empty()) << "no refresh without credentials";

    TempFolder never_expires;
    write_text(never_expires / ".credentials.json", R"({"claudeAiOauth": {"accessToken": "t"}})");
    EXPECT_TRUE(std::holds_alternative<accounts::ClaudeCredentials>(
        accounts::resolve_claude_credentials(never_expires.path(), session_)));
    EXPECT_TRUE(calls_in(never_expires.path()).empty());

    TempFolder stale;
    write_text(stale / ".credentials.json", claude_file(1000));
    write_text(stale / "fake-tool-scenario.json", R"({"skip_rewrite": true})");
    EXPECT_EQ(
        std::get<accounts::CredentialsFailure>(accounts::resolve_claude_credentials(stale.path(), session_)),
        accounts::CredentialsFailure::UnusableAfterRefresh);

    TempFolder no_tool;
    write_text(no_tool / ".credentials.json", claude_file(1000));
    const auto absent = test_tools::fake_tool_session(no_tool / "no-such-tool");
    EXPECT_EQ(
        std::get<accounts::CredentialsFailure>(accounts::resolve_claude_credentials(no_tool.path(), absent)),
        accounts::CredentialsFailure::UnusableAfterRefresh);
}

TEST_F(ToolSessions, AHangingRefreshIsEndedAfterItsLimit) {
    TempFolder folder;
    write_text(folder / ".credentials.json", claude_file(1000));
    write_text(folder / "fake-tool-scenario.json", R"({"skip_rewrite": true, "hang": true})");
    accounts::ToolSession quick = session_;
    quick.limits.refresh = std::chrono::milliseconds(300);
    EXPECT_EQ(
        std::get<accounts::CredentialsFailure>(accounts::resolve_claude_credentials(folder.path(), quick)),
        accounts::CredentialsFailure::UnusableAfterRefresh);
    const auto calls = calls_in(folder.path());
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_TRUE(fake_tool::wait_until_ended(calls[0].pid, std::chrono::seconds(10)));
}

TEST_F(ToolSessions, CodexRefreshRewritesTheTokens) {
    TempFolder folder;
    ASSERT_TRUE(accounts::login(Provider::Codex, folder.path(), session_));
    const auto before = accounts::load_codex_tokens(folder.path());
    ASSERT_TRUE(before);
    accounts::refresh_codex_token(folder.path(), session_);
    const auto after = accounts::load_codex_tokens(folder.path());
    ASSERT_TRUE(after);
    EXPECT_NE(after->access_token, before->access_token);
    const auto calls = calls_in(folder.path());
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[2].args, (std::vector<std::string>{"exec", "."}));
    EXPECT_EQ(calls[2].env.at("CODEX_HOME"), text_of(folder.path()));
}

TEST_F(ToolSessions, WhatAStatusQueryOrARefreshLeavesRunningEndsWithIt) {
    fake_tool::adopt_orphans();
    const struct {
        const char* name;
        Provider provider;
        void (*call)(const std::filesystem::path& dir, const accounts::ToolSession& session);
    } cases[] = {
        {"claude auth status", Provider::Claude,
         [](const std::filesystem::path& dir, const accounts::ToolSession& session) {
             (void)accounts::claude_auth_email(dir, session);
         }},
        {"claude -p .", Provider::Claude,
         [](const std::filesystem::path& dir, const accounts::ToolSession& session) {
             accounts::refresh_claude_token(dir, session);
         }},
        {"codex exec .", Provider::Codex,
         [](const std::filesystem::path& dir, const accounts::ToolSession& session) {
             accounts::refresh_codex_token(dir, session);
         }},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        ASSERT_TRUE(accounts::login(c.provider, folder.path(), session_)) << c.name;
        std::filesystem::remove(folder / "fake-tool-log.jsonl");
        write_text(folder / "fake-tool-scenario.json", R"({"grandchild": true})");
        c.call(folder.path(), session_);
        const auto calls = calls_in(folder.path());
        const auto tool =
            std::find_if(calls.begin(), calls.end(), [](const auto& call) { return call.grandchild_pid; });
        ASSERT_NE(tool, calls.end()) << c.name;
        EXPECT_TRUE(fake_tool::wait_until_ended(*tool->grandchild_pid, std::chrono::seconds(30))) << c.name;
    }
}

}  // namespace

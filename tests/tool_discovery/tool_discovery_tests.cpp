// Locating the tools: the three stages with scripted probes and lookups, what is kept between
// calls, the wrapping of what was found, and the real probe and lookup against the fake tool.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "accounts/tool_discovery.hpp"
#include "fake_tool_support.hpp"
#include "platform/environment.hpp"
#include "platform/system_program.hpp"
#include "support/manual_clock.hpp"
#include "support/temp_folder.hpp"
#include "text/path_text.hpp"

namespace {

using namespace std::chrono_literals;
using accounts::ToolLocator;
using Strings = std::vector<std::string>;
using test_support::utf8_path;

std::string utf8(const std::filesystem::path& path) {
    return text::path_to_utf8(path).value_or("");
}

// Scripted stages that record what they were asked, in order.
struct Script {
    Strings startable;                           // located programs the probe can start
    std::map<std::string, std::string> answers;  // lookup answer per candidate
    Strings asked;

    ToolLocator locator(accounts::DiscoveryCache* cache = nullptr) {
        return ToolLocator(
            [this](const std::string& located) {
                asked.push_back("probe " + located);
                return std::find(startable.begin(), startable.end(), located) != startable.end();
            },
            [this](const std::string& candidate) -> std::optional<std::string> {
                asked.push_back("lookup " + candidate);
                const auto it = answers.find(candidate);
                return it == answers.end() ? std::nullopt : std::optional<std::string>(it->second);
            },
            cache);
    }
};

// Sets a variable of this process for one test.
class ScopedEnv {
  public:
    ScopedEnv(std::string name, std::optional<std::string> value)
        : name_(std::move(name)), old_(platform::get_env(name_)) {
        platform::set_env(name_, value);
    }
    ~ScopedEnv() { platform::set_env(name_, old_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    std::string name_;
    std::optional<std::string> old_;
};

TEST(ToolDiscovery, FirstFoundCandidateThatStartsWinsAndIsStartedByItsPath) {
    Script script{
        {"/opt/bin/claude"}, {{"claude.cmd", "/opt/bin/claude.cmd"}, {"claude", "/opt/bin/claude"}}, {}};
    const auto command = script.locator().claude_command({"auth", "status"});
    EXPECT_EQ(command.program, "/opt/bin/claude");
    EXPECT_EQ(command.arguments, (Strings{"auth", "status"}));
    EXPECT_EQ(script.asked, (Strings{"lookup claude.cmd", "lookup claude", "probe /opt/bin/claude.cmd",
                                     "probe /opt/bin/claude"}));
}

TEST(ToolDiscovery, AToolFoundNowhereGetsTheDefaultNameAndACommandThatNeverStarts) {
    Script claude;
    EXPECT_EQ(claude.locator().find_claude(), "claude.cmd");
    EXPECT_EQ(claude.asked, (Strings{"lookup claude.cmd", "lookup claude"}));
    EXPECT_EQ(claude.locator().claude_command({"auth", "status"}).program, "")
        << "a bare name would be searched for in the current folder";

    Script codex;
    EXPECT_EQ(codex.locator().find_codex(), "codex.cmd");
    EXPECT_EQ(codex.asked,
              (Strings{"lookup codex.cmd", "lookup codex.ps1", "lookup codex.exe", "lookup codex"}));
}

// A file that the real lookup takes for the Claude tool.
void write_tool(const std::filesystem::path& folder, std::string_view contents) {
#ifdef _WIN32
    const auto tool = folder / "claude.exe";
#else
    const auto tool = folder / "claude";
#endif
    test_support::write_text(tool, contents);
    std::filesystem::permissions(tool, std::filesystem::perms::owner_all);
}

TEST(ToolDiscovery, WhatWasFoundIsKeptUntilTheToolOrPathChanges) {
    test_support::TempFolder folder("gaugelet-kept");
    write_tool(folder.path(), "v1");
    const ScopedEnv path("PATH", utf8(folder.path()));
    test_support::ManualClock clock;
    accounts::DiscoveryCache cache(clock);
    Strings asked;
    const ToolLocator locator(
        [&](const std::string& located) {
            asked.push_back("probe " + located);
            return true;
        },
        [&](const std::string& candidate) {
            asked.push_back("lookup " + candidate);
            return accounts::look_up_tool(candidate);
        },
        &cache);

    struct Step {
        const char* name;
        std::function<void()> change;
        bool looks_again;
        bool found;
    };
    const Step steps[] = {
        {"first call", [] {}, true, true},
        {"nothing changed, an hour later", [&] { clock.advance(1h); }, false, true},
        {"the tool was updated", [&] { write_tool(folder.path(), "version 2"); }, true, true},
        {"PATH changed", [&] { platform::set_env("PATH", utf8(folder.path()) + "-other"); }, true, false},
        {"still missing, 4 minutes on", [&] { clock.advance(4min); }, false, false},
        {"installed meanwhile, 5 minutes on",
         [&] {
             std::filesystem::create_directories(utf8_path(utf8(folder.path()) + "-other"));
             write_tool(utf8_path(utf8(folder.path()) + "-other"), "v1");
             clock.advance(1min);
         },
         true, true},
        {"the tool was removed",
         [&] { std::filesystem::remove_all(utf8_path(utf8(folder.path()) + "-other")); }, true, false},
        {"missing, PATH changed back", [&] { platform::set_env("PATH", utf8(folder.path())); }, true, true},
    };
    for (const auto& step : steps) {
        step.change();
        asked.clear();
        EXPECT_EQ(locator.locate_claude().found, step.found) << step.name;
        EXPECT_EQ(!asked.empty(), step.looks_again) << step.name;
    }
}

TEST(ToolDiscovery, LookupAnswerEndingInUpperCaseCmdRunsThroughCmd) {
    Script script{
        {}, {{"claude.cmd", "C:\\Program Files\\nodejs\\CLAUDE.CMD\r\nC:\\other\\claude.cmd\r\n"}}, {}};
    const auto command = script.locator().claude_command({"-p", "."});
    EXPECT_EQ(command.program, platform::system_program("cmd.exe"));
    EXPECT_EQ(command.arguments,
              (Strings{"/d", "/s", "/c", "C:\\Program Files\\nodejs\\CLAUDE.CMD", "-p", "."}));
}

struct LookupCase {
    const char* name;
    std::map<std::string, std::string> answers;
    std::string found;
};

TEST(ToolDiscovery, LookupAnswersAreReadAsTheirFirstTrimmedLine) {
    const LookupCase cases[] = {
        {"blank first line moves on",
         {{"claude.cmd", "\r\nC:\\x\\claude.cmd\r\n"}, {"claude", "/opt/claude\n"}},
         "/opt/claude"},
        {"only white space moves on", {{"claude.cmd", "  \t \n"}, {"claude", "/opt/claude"}}, "/opt/claude"},
        {"white space around is trimmed", {{"claude", "  /opt/my claude  \r\n"}}, "/opt/my claude"},
        {"invalid UTF-8 is replaced",
         {{"claude", "C:\\t\xff\\claude.exe\r\n"}},
         "C:\\t\xEF\xBF\xBD\\claude.exe"},
        {"empty answers fall to the default", {{"claude.cmd", ""}, {"claude", "\n"}}, "claude.cmd"},
    };
    for (const auto& c : cases) {
        Script script{{}, c.answers, {}};
        EXPECT_EQ(script.locator().find_claude(), c.found) << c.name;
    }
}

TEST(ToolDiscovery, CodexPowerShellScriptRunsThroughPowerShellWithItsHome) {
    Script script{{}, {{"codex.ps1", "C:\\npm\\codex.PS1\r\n"}}, {}};
    const auto dir = test_support::utf8_path("C:\\Users\\a b\\accounts\\codex-1");
    const auto command = script.locator().codex_command({"login", "status"}, dir);
    EXPECT_EQ(command.program, platform::system_program("powershell.exe"));
    EXPECT_EQ(command.arguments, (Strings{"-NoProfile", "-ExecutionPolicy", "Bypass", "-File",
                                          "C:\\npm\\codex.PS1", "login", "status"}));
    ASSERT_EQ(command.set_variables.size(), 1u);
    EXPECT_EQ(command.set_variables[0], (std::pair<std::string, std::string>("CODEX_HOME", utf8(dir))));
}

TEST(ToolDiscovery, WrappingFollowsTheExtensionIgnoringCase) {
    struct Case {
        std::string located;
        bool powershell;
        std::string program;
        Strings arguments;
    };
    const Case cases[] = {
        {"codex.cmd", true, platform::system_program("cmd.exe"), {"/d", "/s", "/c", "codex.cmd", "logout"}},
        {"X\\Codex.Cmd",
         true,
         platform::system_program("cmd.exe"),
         {"/d", "/s", "/c", "X\\Codex.Cmd", "logout"}},
        {"X\\codex.ps1",
         true,
         platform::system_program("powershell.exe"),
         {"-NoProfile", "-ExecutionPolicy", "Bypass", "-File", "X\\codex.ps1", "logout"}},
        {"X\\claude.ps1", false, "X\\claude.ps1", {"logout"}},  // the PowerShell rule is Codex's only
        {"X\\codex.exe", true, "X\\codex.exe", {"logout"}},
        {"X\\codex.cmd.bak", true, "X\\codex.cmd.bak", {"logout"}},
    };
    for (const auto& c : cases) {
        const auto command = accounts::wrap_tool(c.located, c.powershell, {"logout"});
        EXPECT_EQ(command.program, c.program) << c.located;
        EXPECT_EQ(command.arguments, c.arguments) << c.located;
    }
}

// ---- The real probe and lookup, with the fake tool ----

class RealDiscovery : public ::testing::Test {
  protected:
    test_support::TempFolder folder_{"gaugelet-discovery"};
    std::filesystem::path config_ = folder_ / "claude config";
    void SetUp() override {
        std::filesystem::create_directories(config_);
        accounts::discovery_cache().clear();  // each test finds the tools afresh
    }
};

TEST_F(RealDiscovery, OnlyAPlainClaudeOnThePathIsStartedDirectly) {
    const ScopedEnv path("PATH", utf8(fake_tool::tool_directory()));
    const ScopedEnv config("CLAUDE_CONFIG_DIR", utf8(config_));
    auto command = accounts::claude_command({"auth", "status"});
    EXPECT_EQ(command.program, utf8(fake_tool::tool_path("claude")));
    EXPECT_EQ(command.arguments, (Strings{"auth", "status"}));

    command.standard_output = platform::StdioMode::Capture;
    const auto output = platform::run_with_timeout(command, 60s);
    ASSERT_TRUE(output);
    EXPECT_NE(output->standard_output.find("\"loggedIn\": false"), std::string::npos);
    const auto calls = fake_tool::read_invocations(config_ / "fake-tool-log.jsonl");
    ASSERT_EQ(calls.size(), 2u);  // the probe, then the command
    EXPECT_EQ(calls[0].args, Strings{"--version"});
    EXPECT_EQ(calls[1].args, (Strings{"auth", "status"}));

    // The next command finds the tool unchanged: no second probe.
    (void)platform::run_with_timeout(accounts::claude_command({"auth", "status"}), 60s);
    EXPECT_EQ(fake_tool::read_invocations(config_ / "fake-tool-log.jsonl").size(), 3u);
}

TEST_F(RealDiscovery, ProbeThatExitsWithAFailureStillSelects) {
    test_support::write_text(config_ / "fake-tool-scenario.json", R"({"exit_code": 7})");
    const ScopedEnv path("PATH", utf8(fake_tool::tool_directory()));
    const ScopedEnv config("CLAUDE_CONFIG_DIR", utf8(config_));
    EXPECT_EQ(accounts::find_claude(), utf8(fake_tool::tool_path("claude")));
}

TEST_F(RealDiscovery, ProbeThatHangsIsEndedAndStillSelects) {
    test_support::write_text(config_ / "fake-tool-scenario.json", R"({"hang": true})");
    const ScopedEnv path("PATH", utf8(fake_tool::tool_directory()));
    const ScopedEnv config("CLAUDE_CONFIG_DIR", utf8(config_));
    EXPECT_TRUE(accounts::probe_tool(utf8(fake_tool::tool_path("claude")), 50ms));
    for (const auto& call : fake_tool::read_invocations(config_ / "fake-tool-log.jsonl")) {
        EXPECT_TRUE(fake_tool::wait_until_ended(call.pid, 30s));
    }
}

TEST_F(RealDiscovery, ProbeOfAMissingToolFails) {
    EXPECT_FALSE(accounts::probe_tool(utf8(folder_ / "claude")));
    EXPECT_FALSE(accounts::probe_tool(utf8(folder_ / "codex.ps1")));
}

TEST_F(RealDiscovery, ToolsComeFromAbsolutePathEntriesOnly) {
    // A tool in the current folder, reachable only through entries that mean the current folder.
    const auto here = folder_ / "here";
    std::filesystem::create_directories(here / "bin");
    for (const auto& dir : {here, here / "bin"}) {
        std::filesystem::copy_file(fake_tool::tool_path("claude"),
                                   dir / fake_tool::tool_path("claude").filename());
    }
#ifdef _WIN32
    const std::string separator = ";";
#else
    const std::string separator = ":";
#endif
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(here);
    const ScopedEnv config("CLAUDE_CONFIG_DIR", utf8(config_));
    const struct {
        std::string path;
        std::string found;
    } cases[] = {
        {"", ""},
        {separator + "." + separator + "bin" + separator, ""},
        {utf8(folder_.path()) + separator + "." + separator + utf8(fake_tool::tool_directory()),
         utf8(fake_tool::tool_path("claude"))},
#ifdef _WIN32
        {"\"" + utf8(fake_tool::tool_directory()) + "\"", utf8(fake_tool::tool_path("claude"))},
#endif
    };
    for (const auto& c : cases) {
        const ScopedEnv path("PATH", c.path);
        auto command = accounts::claude_command({"auth", "status"});
        const auto output = platform::run_with_timeout(command, 60s);
        const auto calls = fake_tool::read_invocations(config_ / "fake-tool-log.jsonl");
        std::filesystem::remove(config_ / "fake-tool-log.jsonl");
        if (c.found.empty()) {
            EXPECT_EQ(command.program, "") << c.path;
            EXPECT_FALSE(output) << c.path;
            EXPECT_TRUE(calls.empty()) << "the current folder's tool ran for PATH " << c.path;
        } else {
            EXPECT_EQ(command.program, c.found) << c.path;
            EXPECT_TRUE(output) << c.path;
            EXPECT_EQ(calls.size(), 2u) << c.path;  // the probe and the command
        }
    }
    std::filesystem::current_path(previous);
}

#ifdef _WIN32
TEST_F(RealDiscovery, SystemProgramsRunFromTheSystemFolderNotTheCurrentOne) {
    // Started by bare name, a cmd.exe in the current folder would be found before the system's.
    std::filesystem::copy_file(fake_tool::tool_path("claude"), folder_ / "cmd.exe");
    const auto script = folder_ / "x.cmd";
    test_support::write_text(script, "@echo from the script\r\n");
    auto command = accounts::wrap_tool(utf8(script), false, {});
    command.standard_output = platform::StdioMode::Capture;
    command.set_env("CLAUDE_CONFIG_DIR", utf8(config_));
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(folder_.path());
    const auto output = platform::run_with_timeout(command, 60s);
    std::filesystem::current_path(previous);
    ASSERT_TRUE(output);
    EXPECT_NE(output->standard_output.find("from the script"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(config_ / "fake-tool-log.jsonl")) << "the planted cmd.exe ran";
    const auto cmd = test_support::utf8_path(platform::system_program("cmd.exe"));
    EXPECT_TRUE(cmd.is_absolute());
    EXPECT_TRUE(std::filesystem::exists(cmd));
    for (const char* name : {"where.exe", "powershell.exe"}) {
        EXPECT_EQ(test_support::utf8_path(platform::system_program(name)), cmd.parent_path() / name);
    }
}

TEST_F(RealDiscovery, CmdWrapperFoundByTheLookupRunsTheToolWithItsArguments) {
    const auto bin = folder_ / "Tool Dir";
    std::filesystem::create_directories(bin);
    const auto script = bin / "CLAUDE.CMD";
    fake_tool::write_cmd_wrapper(script, fake_tool::tool_path("claude"));
    const ToolLocator locator([](const std::string&) { return false; },
                              [&](const std::string& candidate) -> std::optional<std::string> {
                                  if (candidate == "claude.cmd") {
                                      return utf8(script) + "\r\n";
                                  }
                                  return std::nullopt;
                              });
    auto command = locator.claude_command({"auth", "status"});
    ASSERT_EQ(command.program, platform::system_program("cmd.exe"));
    command.set_env("CLAUDE_CONFIG_DIR", utf8(config_));
    command.standard_output = platform::StdioMode::Capture;
    const auto output = platform::run_with_timeout(command, 60s);
    ASSERT_TRUE(output);
    EXPECT_EQ(output->exit_code, 1u);  // not logged in
    const auto calls = fake_tool::read_invocations(config_ / "fake-tool-log.jsonl");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].args, (Strings{"auth", "status"}));
    EXPECT_EQ(calls[0].env.at("CLAUDE_CONFIG_DIR"), utf8(config_));
}
#else
TEST_F(RealDiscovery, LookupFindsTheFirstExecutableFileOnThePath) {
    const auto as_dir = folder_ / "a";
    const auto not_executable = folder_ / "b";
    const auto executable = folder_ / "c d";
    for (const auto& dir : {as_dir, not_executable, executable}) {
        std::filesystem::create_directories(dir);
    }
    std::filesystem::create_directories(as_dir / "claude");
    test_support::write_text(not_executable / "claude", "#!/bin/sh\n");
    test_support::write_text(executable / "claude", "#!/bin/sh\n");
    std::filesystem::permissions(executable / "claude", std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::add);

    const ScopedEnv path("PATH", utf8(as_dir) + ":" + utf8(not_executable) + "::" + utf8(executable));
    EXPECT_EQ(accounts::look_up_tool("claude"), utf8(executable / "claude"));
    EXPECT_EQ(accounts::look_up_tool("codex"), std::nullopt);
}
#endif

}  // namespace

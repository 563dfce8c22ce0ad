// Child processes, run against the fake provider tool: output, time limits that end the whole
// tree, large output, environment changes and arguments that need quoting.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <optional>

#include "fake_tool_support.hpp"
#include "platform/command_line.hpp"
#include "platform/environment.hpp"
#include "platform/process.hpp"
#include "support/temp_folder.hpp"
#include "text/path_text.hpp"

namespace {

using namespace std::chrono_literals;
using platform::ChildCommand;
using platform::StdioMode;

std::string utf8(const std::filesystem::path& path) {
    return text::path_to_utf8(path).value_or("");
}

// A clock that reads `offsets` one call after the other, then stays on the last.
class ScriptedClock final : public platform::MonotonicClock {
  public:
    explicit ScriptedClock(std::vector<std::chrono::nanoseconds> offsets) : offsets_(std::move(offsets)) {}
    TimePoint now() const override {
        const auto i = std::min<std::size_t>(calls_++, offsets_.size() - 1);
        return TimePoint() + offsets_[i];
    }
    [[nodiscard]] std::size_t calls() const { return calls_; }

  private:
    std::vector<std::chrono::nanoseconds> offsets_;
    mutable std::atomic<std::size_t> calls_{0};
};

// Time stands still until the fake tool has recorded the grandchild it started; then the limit
// has long passed. So the time-out happens exactly when there is a whole tree to end.
class UntilGrandchildClock final : public platform::MonotonicClock {
  public:
    explicit UntilGrandchildClock(std::filesystem::path log) : log_(std::move(log)) {}
    TimePoint now() const override {
        if (calls_++ == 0) {
            return TimePoint();  // the start
        }
        for (const auto& call : fake_tool::read_invocations(log_)) {
            if (call.grandchild_pid) {
                return TimePoint() + 1h;
            }
        }
        return TimePoint();
    }

  private:
    std::filesystem::path log_;
    mutable std::atomic<std::size_t> calls_{0};
};

class ProcessTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { fake_tool::adopt_orphans(); }

    // The fake Codex with its home in a fresh folder whose name has a space in it.
    ChildCommand codex(std::vector<std::string> arguments) const {
        ChildCommand command;
        command.program = utf8(fake_tool::tool_path("codex"));
        command.arguments = std::move(arguments);
        command.set_env("CODEX_HOME", utf8(home_));
        command.set_env("GAUGELET_FAKE_TOOL_LOG", utf8(log_));
        command.standard_input = StdioMode::Discard;
        command.standard_output = StdioMode::Capture;
        command.standard_error = StdioMode::Capture;
        return command;
    }
    void scenario(std::string_view json) const {
        test_support::write_text(home_ / "fake-tool-scenario.json", json);
    }
    std::vector<fake_tool::Invocation> calls() const { return fake_tool::read_invocations(log_); }

    test_support::TempFolder folder_{"gaugelet-process"};
    std::filesystem::path home_ = folder_ / "codex home";
    std::filesystem::path log_ = folder_ / "calls.jsonl";

    void SetUp() override { std::filesystem::create_directories(home_); }
};

TEST_F(ProcessTest, FinishedChildYieldsItsOutputWhateverItsExitCode) {
    scenario(R"({"stdout": "more output\n", "stderr": "a warning\n", "exit_code": 3})");
    const auto output = platform::run_with_timeout(codex({"--version"}), 60s);
    ASSERT_TRUE(output);
    EXPECT_EQ(output->exit_code, 3u);
    EXPECT_EQ(output->standard_output, "codex-cli 0.50.0\nmore output\n");
    EXPECT_EQ(output->standard_error, "a warning\n");
}

TEST_F(ProcessTest, StreamsNotCapturedComeBackEmpty) {
    scenario(R"({"stderr": "a warning\n"})");
    auto command = codex({"--version"});
    command.standard_error = StdioMode::Discard;
    const auto output = platform::run_with_timeout(command, 60s);
    ASSERT_TRUE(output);
    EXPECT_EQ(output->exit_code, 0u);
    EXPECT_EQ(output->standard_output, "codex-cli 0.50.0\n");
    EXPECT_EQ(output->standard_error, "");
}

TEST_F(ProcessTest, CrashedChildReportsAFailureCode) {
    scenario(R"({"crash": true})");
    const auto output = platform::run_with_timeout(codex({"--version"}), 60s);
    ASSERT_TRUE(output);
    EXPECT_NE(output->exit_code, 0u);
#ifndef _WIN32
    EXPECT_EQ(output->exit_code, 128u + 6u);  // SIGABRT
#endif
}

TEST_F(ProcessTest, ProgramThatCannotStartYieldsNothing) {
    auto command = codex({"--version"});
    command.program = utf8(folder_ / "no such tool");
    EXPECT_TRUE(std::holds_alternative<platform::IoError>(platform::Process::start(command)));
    EXPECT_FALSE(platform::run_with_timeout(command, 60s));
}

TEST_F(ProcessTest, TimeOutEndsTheChildAndItsGrandchild) {
    scenario(R"({"hang": true, "grandchild": true})");
    const UntilGrandchildClock clock(log_);
    // The grandchild inherits the captured pipes, so this also shows reading does not wait for it.
    EXPECT_FALSE(platform::run_with_timeout(codex({"login", "status"}), 10s, clock));

    const auto recorded = calls();
    const auto tool =
        std::find_if(recorded.begin(), recorded.end(), [](const auto& c) { return c.tool == "codex"; });
    ASSERT_NE(tool, recorded.end());
    ASSERT_TRUE(tool->grandchild_pid);
    EXPECT_TRUE(fake_tool::wait_until_ended(tool->pid, 30s));
    EXPECT_TRUE(fake_tool::wait_until_ended(*tool->grandchild_pid, 30s));
}

TEST_F(ProcessTest, ChildThatExitedByTheFirstCheckAfterTheLimitStillYieldsItsOutput) {
    auto started = platform::Process::start(codex({"--version"}));
    auto& process = std::get<platform::Process>(started);
    ASSERT_EQ(process.wait_for(60s), platform::Process::State::Exited);

    const ScriptedClock clock({0s, 1h});  // every check after the start is past the limit
    const auto output = platform::wait_for_output(process, 1s, clock);
    ASSERT_TRUE(output);
    EXPECT_EQ(output->standard_output, "codex-cli 0.50.0\n");
}

TEST_F(ProcessTest, ChildStillRunningAtTheFirstCheckAfterTheLimitYieldsNothing) {
    scenario(R"({"hang": true, "stdout": "partial output"})");
    auto started = platform::Process::start(codex({"--version"}));
    auto& process = std::get<platform::Process>(started);
    const ScriptedClock clock({0s, 1h});
    EXPECT_FALSE(platform::wait_for_output(process, 1s, clock));
    EXPECT_TRUE(fake_tool::wait_until_ended(process.id(), 30s));
}

TEST_F(ProcessTest, WaitOrKillWaitsAtExactlyTheLimitAndKillsJustAfterIt) {
    scenario(R"({"hang": true, "grandchild": true})");
    auto command = codex({"exec", "."});
    command.standard_output = StdioMode::Discard;
    command.standard_error = StdioMode::Discard;
    auto started = platform::Process::start(command);
    auto& process = std::get<platform::Process>(started);

    const ScriptedClock clock({0s, 30s, 30s + 1ns});
    platform::wait_or_kill(process, 30s, clock);
    EXPECT_EQ(clock.calls(), 3u);  // start, exactly 30 s (still waiting), just past it (killed)
    EXPECT_TRUE(fake_tool::wait_until_ended(process.id(), 30s));
}

TEST_F(ProcessTest, WaitOrKillLeavesAFinishedChildAlone) {
    auto command = codex({"--version"});
    command.standard_output = StdioMode::Discard;
    auto started = platform::Process::start(command);
    auto& process = std::get<platform::Process>(started);
    platform::wait_or_kill(process, 60s);
    EXPECT_EQ(process.wait_for(0ms), platform::Process::State::Exited);
    const auto output = process.finish(1s);
    ASSERT_TRUE(output);
    EXPECT_EQ(output->exit_code, 0u);
}

TEST_F(ProcessTest, WhatAnExitedChildLeftRunningStaysOrEndsAsItsCommandSays) {
    // A sign-in opens a browser, which must outlive the tool that opened it; a quick query's
    // helpers must not.
    const struct {
        const char* name;
        platform::Leftovers leftovers;
        bool captured;  // through run_with_timeout, else started and waited for with wait_or_kill
    } cases[] = {
        {"stay, waited for", platform::Leftovers::Stay, false},
        {"end, waited for", platform::Leftovers::End, false},
        {"end, output read", platform::Leftovers::End, true},
    };
    for (const auto& c : cases) {
        scenario(R"({"grandchild": true})");
        std::filesystem::remove(log_);
        auto command = codex({"login"});
        command.leftovers = c.leftovers;
        if (c.captured) {
            const auto output = platform::run_with_timeout(command, 60s);
            ASSERT_TRUE(output) << c.name;
            EXPECT_EQ(output->standard_error, "Successfully logged in\n") << c.name;
        } else {
            command.standard_output = StdioMode::Discard;
            command.standard_error = StdioMode::Discard;
            auto started = platform::Process::start(command);
            auto& process = std::get<platform::Process>(started);
            platform::wait_or_kill(process, 60s);
            ASSERT_EQ(process.wait_for(0ms), platform::Process::State::Exited) << c.name;
        }
        const auto recorded = calls();
        const auto tool =
            std::find_if(recorded.begin(), recorded.end(), [](const auto& r) { return r.tool == "codex"; });
        ASSERT_NE(tool, recorded.end()) << c.name;
        ASSERT_TRUE(tool->grandchild_pid) << c.name;
        if (c.leftovers == platform::Leftovers::Stay) {
            EXPECT_TRUE(fake_tool::is_running(*tool->grandchild_pid)) << c.name;
            fake_tool::end_process(*tool->grandchild_pid);
        } else {
            EXPECT_TRUE(fake_tool::wait_until_ended(*tool->grandchild_pid, 30s)) << c.name;
        }
    }
}

TEST_F(ProcessTest, LeftoverHoldingThePipesDoesNotKeepTheOutputBack) {
    scenario(R"({"grandchild": true, "stdout": "done\n"})");
    const auto output = platform::run_with_timeout(codex({"--version"}), 60s);
    ASSERT_TRUE(output);
    EXPECT_EQ(output->standard_output, "codex-cli 0.50.0\ndone\n");
    const auto recorded = calls();
    const auto tool =
        std::find_if(recorded.begin(), recorded.end(), [](const auto& c) { return c.tool == "codex"; });
    ASSERT_NE(tool, recorded.end());
    ASSERT_TRUE(tool->grandchild_pid);
    EXPECT_TRUE(
        fake_tool::wait_until_ended(*tool->grandchild_pid, 30s));  // it held our pipes, so it was ended
}

#ifndef _WIN32
TEST_F(ProcessTest, ChildInheritsOnlyItsStandardStreams) {
    // Another child's pipes are open in this process while the second one starts.
    scenario(R"({"match": ["login", "status"], "hang": true})");
    const auto expected = fake_tool::inheritable_descriptors();  // what this test's own parent gave it
    auto first = platform::Process::start(codex({"login", "status"}));
    ASSERT_TRUE(std::holds_alternative<platform::Process>(first));
    ASSERT_TRUE(platform::run_with_timeout(codex({"--version"}), 60s));
    std::get<platform::Process>(first).kill();

    const auto recorded = calls();
    const auto second = std::find_if(recorded.begin(), recorded.end(), [](const auto& c) {
        return c.args == std::vector<std::string>{"--version"};
    });
    ASSERT_NE(second, recorded.end());
    EXPECT_EQ(second->fds, expected);
}
#endif

TEST_F(ProcessTest, NearlyAMegabyteOnEachStreamDoesNotBlockTheChild) {
    scenario(R"({"flood_bytes": 1040000})");
    const auto output = platform::run_with_timeout(codex({"logout"}), 120s);
    ASSERT_TRUE(output);
    EXPECT_EQ(output->exit_code, 0u);
    EXPECT_EQ(output->standard_output.size(), 1040000u);
    EXPECT_EQ(output->standard_error.size(), std::string("Successfully logged out\n").size() + 1040000u);
}

TEST_F(ProcessTest, OutputPastTheCapIsReadOnButMakesTheResultUnusable) {
    scenario(R"({"flood_bytes": 3000000})");
    auto command = codex({"logout"});
    command.standard_error = StdioMode::Discard;
    auto started = platform::Process::start(command);
    auto* process = std::get_if<platform::Process>(&started);
    ASSERT_NE(process, nullptr);
    // The child ends by itself: the pipe was read on after the cap.
    EXPECT_EQ(process->wait_for(120s), platform::Process::State::Exited);
    EXPECT_EQ(process->finish(60s), std::nullopt);
}

TEST_F(ProcessTest, EnvironmentChangesReachTheChildAndNothingElseChanges) {
    ASSERT_TRUE(platform::set_env("CLAUDECODE", "1"));
    ASSERT_TRUE(platform::set_env("CLAUDE_CODE_ENTRYPOINT", "cli"));
    ASSERT_TRUE(platform::set_env("CLAUDE_CONFIG_DIR", std::nullopt));
    auto command = codex({"--version"});
    command.remove_env("CLAUDECODE");
    command.set_env("CLAUDE_CODE_ENTRYPOINT", "");  // set, but empty
    const auto output = platform::run_with_timeout(command, 60s);
    platform::set_env("CLAUDECODE", std::nullopt);
    platform::set_env("CLAUDE_CODE_ENTRYPOINT", std::nullopt);

    ASSERT_TRUE(output);
    const auto recorded = calls();
    ASSERT_EQ(recorded.size(), 1u);
    const auto& env = recorded[0].env;
    EXPECT_EQ(env.at("CODEX_HOME"), utf8(home_));
    EXPECT_EQ(env.at("CLAUDECODE"), std::nullopt);
    EXPECT_EQ(env.at("CLAUDE_CODE_ENTRYPOINT"), "");
    EXPECT_EQ(env.at("CLAUDE_CONFIG_DIR"), std::nullopt);
}

TEST_F(ProcessTest, LaterEnvironmentChangeOfTheSameNameWins) {
    auto command = codex({"--version"});
    command.set_env("CLAUDECODE", "1");
    command.remove_env("CLAUDECODE");
    command.set_env("CLAUDE_CONFIG_DIR", "gone");
#ifdef _WIN32
    command.remove_env("claude_config_dir");  // Windows names ignore case
#else
    command.remove_env("CLAUDE_CONFIG_DIR");
#endif
    ASSERT_TRUE(platform::run_with_timeout(command, 60s));
    const auto recorded = calls();
    ASSERT_EQ(recorded.size(), 1u);
    EXPECT_EQ(recorded[0].env.at("CLAUDECODE"), std::nullopt);
    EXPECT_EQ(recorded[0].env.at("CLAUDE_CONFIG_DIR"), std::nullopt);
}

const std::vector<std::string> AWKWARD_ARGUMENTS = {
    "plain",
    "with space",
    "",
    "say \"hi\"",
    "trailing\\",
    "dir with space\\",
    "\\\\server\\share\\",
    "a\\\\\"b",
    "tab\there",
    "ünïcödé ✓",
    "\"quoted\"",
    "x\\\"y\\\\",
};

TEST_F(ProcessTest, AwkwardArgumentsAndWorkingDirectoryArriveIntact) {
    auto command = codex(AWKWARD_ARGUMENTS);
    const auto directory = folder_ / "work dir ü";
    std::filesystem::create_directories(directory);
    command.working_directory = directory;
    const auto output = platform::run_with_timeout(command, 60s);
    ASSERT_TRUE(output);
    const auto recorded = calls();
    ASSERT_EQ(recorded.size(), 1u);
    EXPECT_EQ(recorded[0].args, AWKWARD_ARGUMENTS);
    EXPECT_EQ(test_support::utf8_path(recorded[0].cwd), directory);
}

#ifdef _WIN32
TEST_F(ProcessTest, AwkwardArgumentsPassThroughACmdWrapper) {
    const auto bin = folder_ / "tool bin";
    std::filesystem::create_directories(bin);
    const auto script = bin / "codex.cmd";
    fake_tool::write_cmd_wrapper(script, fake_tool::tool_path("codex"));

    auto command = codex({});
    command.program = "cmd.exe";
    command.arguments = {"/d", "/s", "/c", utf8(script)};
    command.arguments.insert(command.arguments.end(), AWKWARD_ARGUMENTS.begin(), AWKWARD_ARGUMENTS.end());
    const auto output = platform::run_with_timeout(command, 60s);
    ASSERT_TRUE(output);
    const auto recorded = calls();
    ASSERT_EQ(recorded.size(), 1u);
    EXPECT_EQ(recorded[0].args, AWKWARD_ARGUMENTS);
}
#endif

// ---- Command-line quoting (pure string rules, checked on every platform) ----

struct QuoteCase {
    std::string argument;
    std::string quoted;
};

TEST(CommandLine, ArgumentsAreQuotedByTheArgvRules) {
    const QuoteCase cases[] = {
        {"plain", "plain"},
        {"", R"("")"},
        {"a b", R"("a b")"},
        {"tab\tx", "\"tab\tx\""},
        {R"(C:\dir\file)", R"(C:\dir\file)"},
        {R"(say "hi")", R"("say \"hi\"")"},
        {R"(end\)", R"(end\)"},
        {R"(with space\)", R"("with space\\")"},
        {R"(a\\"b)", R"("a\\\\\"b")"},
        {R"(\\server\share\)", R"(\\server\share\)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::quote_windows_argument(c.argument), c.quoted) << c.argument;
    }
}

TEST(CommandLine, ProgramIsAlwaysQuotedAndMustNotHoldAQuote) {
    EXPECT_EQ(platform::windows_command_line("claude", {"--version"}), R"("claude" --version)");
    EXPECT_EQ(platform::windows_command_line(R"(C:\Program Files\x.exe)", {"a b"}),
              R"("C:\Program Files\x.exe" "a b")");
    EXPECT_EQ(platform::windows_command_line("bad\"name", {}), std::nullopt);
    EXPECT_EQ(platform::windows_command_line("x", {std::string("nul\0byte", 8)}), std::nullopt);
}

TEST(CommandLine, CmdGetsItsCommandInOneMoreOuterPairOfQuotes) {
    EXPECT_EQ(platform::windows_command_line("cmd.exe", {"/d", "/s", "/c", R"(C:\a b\x.cmd)", "auth", "a b"}),
              R"("cmd.exe" /d /s /c ""C:\a b\x.cmd" auth "a b"")");
    EXPECT_EQ(platform::windows_command_line(R"(C:\Windows\System32\CMD.EXE)", {"/C", "x.cmd"}),
              R"("C:\Windows\System32\CMD.EXE" /C "x.cmd")");
}

TEST(CommandLine, TextCmdWouldActOnIsRefused) {
    const std::vector<std::string> refused = {"a&b",  "a|b",     "a>b",         "a<b",      "a^b",
                                              "100%", "50% off", "line\nbreak", "x\" & \"y"};
    for (const auto& argument : refused) {
        EXPECT_EQ(platform::windows_command_line("cmd.exe", {"/d", "/s", "/c", "x.cmd", argument}),
                  std::nullopt)
            << argument;
    }
    // Inside cmd.exe's quotes these are plain text.
    EXPECT_TRUE(platform::windows_command_line("cmd.exe", {"/d", "/s", "/c", "x.cmd", "a & b", "x | y"}));
    // Other programs take them as they are.
    EXPECT_TRUE(platform::windows_command_line("tool.exe", {"a&b", "100%"}));
}

}  // namespace

#include <gtest/gtest.h>

#include <atomic>
#include <sstream>
#include <thread>
#include <vector>

#include "diagnostics/log.hpp"
#include "diagnostics/log_sink.hpp"
#include "platform/environment.hpp"
#include "support/temp_folder.hpp"
#include "text/path_text.hpp"

namespace {

using test_support::read_text;
using test_support::TempFolder;
using test_support::write_text;

constexpr platform::FileTime AT_1700000000 =
    platform::FILETIME_UNIX_EPOCH + 1700000000ULL * 10000000ULL + 9999999ULL;

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

TEST(LogLine, IsSecondsInBracketsThenTheMessageThenOneLineFeed) {
    EXPECT_EQ(diagnostics::format_log_line(AT_1700000000, "entering window::run"),
              "[1700000000] entering window::run\n");
    EXPECT_EQ(diagnostics::format_log_line(platform::FILETIME_UNIX_EPOCH - 1, "x"), "[0] x\n");
    EXPECT_EQ(diagnostics::format_log_line(0, ""), "[0] \n");
}

TEST(LogSink, WritesNothingAndCreatesNothingUntilOpened) {
    TempFolder folder;
    diagnostics::LogSink sink([] { return AT_1700000000; });
    EXPECT_FALSE(sink.enabled());
    sink.write_line("dropped");
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

TEST(LogSink, EmptiesAnOldLogAndKeepsTheFirstFileWhenOpenedTwice) {
    TempFolder folder("Zo\xC3\xAB");
    const auto first = folder / "gaugelet.log";
    const auto second = folder / "second.log";
    write_text(first, "from the previous run\n");
    diagnostics::LogSink sink([] { return AT_1700000000; });
    ASSERT_TRUE(sink.open(first));
    EXPECT_EQ(read_text(first), "");
    EXPECT_TRUE(sink.open(second));
    EXPECT_FALSE(std::filesystem::exists(second));
    sink.write_line("two\nlines");
    EXPECT_EQ(read_text(first), "[1700000000] two\nlines\n");
}

// A second start finds the running instance's log: it writes after those lines, and the running
// instance's later lines land after the second's instead of over them.
TEST(LogSink, ASecondWriterKeepingTheFileNeitherEmptiesNorOverwritesTheFirst) {
    TempFolder folder;
    const auto path = folder / "gaugelet.log";
    diagnostics::LogSink running([] { return AT_1700000000; });
    ASSERT_TRUE(running.open(path));
    running.write_line("running 1");
    diagnostics::LogSink second([] { return AT_1700000000; });
    ASSERT_TRUE(second.open(path, diagnostics::LogSink::Mode::Keep));
    second.write_line("startup aborted: another instance is already running");
    running.write_line("running 2");
    EXPECT_EQ(read_text(path),
              "[1700000000] running 1\n"
              "[1700000000] startup aborted: another instance is already running\n"
              "[1700000000] running 2\n");
}

TEST(LogSink, StaysOffWhenTheFileCannotBeCreated) {
    TempFolder folder;
    diagnostics::LogSink sink;
    EXPECT_FALSE(sink.open(folder / "missing-folder" / "gaugelet.log"));
    EXPECT_FALSE(sink.enabled());
    sink.write_line("dropped");
}

TEST(LogSink, LinesFromManyThreadsNeverInterleave) {
    TempFolder folder;
    const auto path = folder / "gaugelet.log";
    diagnostics::LogSink sink([] { return AT_1700000000; });
    ASSERT_TRUE(sink.open(path));
    constexpr int THREADS = 8;
    constexpr int LINES = 200;
    std::vector<std::thread> writers;
    for (int t = 0; t < THREADS; ++t) {
        writers.emplace_back([&sink, t] {
            const std::string message = "thread " + std::to_string(t) + " " + std::string(300, char('a' + t));
            for (int i = 0; i < LINES; ++i) {
                sink.write_line(message);
            }
        });
    }
    for (auto& w : writers) {
        w.join();
    }
    const auto lines = lines_of(read_text(path));
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(THREADS * LINES));
    for (const auto& line : lines) {
        ASSERT_EQ(line.rfind("[1700000000] thread ", 0), 0u) << line;
        const char fill = line.back();
        EXPECT_EQ(line, "[1700000000] thread " + std::to_string(fill - 'a') + " " + std::string(300, fill));
    }
}

TEST(LogSink, OtherProgramsMayReadAndDeleteTheOpenLog) {
    TempFolder folder;
    const auto path = folder / "gaugelet.log";
    diagnostics::LogSink sink([] { return AT_1700000000; });
    ASSERT_TRUE(sink.open(path));
    sink.write_line("one");
    EXPECT_EQ(read_text(path), "[1700000000] one\n");
    std::error_code ec;
    EXPECT_TRUE(std::filesystem::remove(path, ec)) << ec.message();
    sink.write_line("lost quietly");
}

// The process-wide log is never opened in this program, so it must stay silent.
TEST(ProcessLog, IsOffWithoutDiagnoseAndTouchesNoFile) {
    TempFolder folder;
    const auto folder_text = text::path_to_utf8(folder.path()).value();
    for (const char* name : {"TMPDIR", "TMP", "TEMP"}) {
        platform::set_env(name, folder_text);
    }
    EXPECT_EQ(diagnostics::log_path(), folder.path() / "gaugelet.log");
    EXPECT_FALSE(diagnostics::log_enabled());
    diagnostics::log_line("dropped");
    diagnostics::log_owned("dropped too");
    diagnostics::log_io_error("dropped as well", platform::os_error(5));
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

}  // namespace

#pragma once
// Child processes: hidden, with chosen standard streams and environment changes, waited for with a
// time limit. A child runs with everything it starts (a Windows job object, a POSIX process
// group), so ending it on time-out ends the whole tree. Captured output is read while the child
// runs, so a chatty child never blocks on a full pipe.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "platform/io_error.hpp"

namespace platform {

// What a standard stream of the child is connected to. Capture on standard input gives the child
// an empty input, like Discard.
enum class StdioMode { Inherit, Discard, Capture };

// What becomes of the processes a child leaves running when it exits by itself. A sign-in's
// browser must stay; a quick query's helpers must not pile up behind it, poll after poll.
enum class Leftovers { Stay, End };

struct ChildCommand {
    // A bare name is searched for by the platform's own rules (PATH; on Windows an implied ".exe").
    std::string program;
    std::vector<std::string> arguments;
    // Variables set or removed in the child; everything else is inherited.
    std::vector<std::pair<std::string, std::string>> set_variables;
    std::vector<std::string> removed_variables;
    StdioMode standard_input = StdioMode::Inherit;
    StdioMode standard_output = StdioMode::Inherit;
    StdioMode standard_error = StdioMode::Inherit;
    std::optional<std::filesystem::path> working_directory;
    Leftovers leftovers = Leftovers::Stay;

    // The last change to a name wins (names compare case-insensitively on Windows).
    ChildCommand& set_env(std::string name, std::string value);
    ChildCommand& remove_env(std::string name);
};

// A captured stream may hold this much; a child that writes more has its output read on (so it is
// never held up) and dropped, and its result counts as unusable, like an oversized body.
inline constexpr std::size_t MAX_CAPTURED_BYTES = 1024 * 1024;

// The result of a finished child. Streams that were not captured are empty.
struct ProcessOutput {
    // As the platform reports it. On POSIX a child ended by signal N reports 128 + N, as shells do.
    std::uint32_t exit_code = 0;
    std::string standard_output;
    std::string standard_error;
};

// Time for the limit tests; tests replace it to run a 30-second rule in no time.
class MonotonicClock {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;
    virtual ~MonotonicClock() = default;
    [[nodiscard]] virtual TimePoint now() const = 0;
};

// std::chrono::steady_clock.
[[nodiscard]] const MonotonicClock& steady_clock();

// A started child. Destroying it while the child still runs ends the child's tree first; a child
// that exited leaves whatever it started running (a browser opened for a sign-in must survive),
// unless its command asked for Leftovers::End: then they end once it has exited and is finished
// or destroyed.
class Process {
  public:
    enum class State { Running, Exited, Failed };

    // Starts the child without a console window. On Windows a ".cmd" program must be run through
    // "cmd.exe" /d /s /c: the arguments after "/c" then form one command line for cmd.exe,
    // quoted for the script and wrapped in one more pair of quotes (which "/s" strips).
    [[nodiscard]] static std::variant<Process, IoError> start(const ChildCommand& command);

    Process(Process&&) noexcept;
    Process& operator=(Process&&) noexcept;
    ~Process();

    [[nodiscard]] std::uint32_t id() const noexcept;

    // Blocks until the child exits or `timeout` passes; zero makes it a check without blocking.
    [[nodiscard]] State wait_for(std::chrono::milliseconds timeout);

    // Ends the child and every process in its tree, then waits for the child.
    void kill() noexcept;

    // For a child that has exited: its exit code and the captured output, read to the end. If a
    // process the child left behind still holds the pipes after `patience`, the rest of the
    // tree is ended so reading can finish. Nothing when the exit code cannot be read or a captured
    // stream passed MAX_CAPTURED_BYTES.
    [[nodiscard]] std::optional<ProcessOutput> finish(std::chrono::milliseconds patience);

  private:
    struct Impl;
    explicit Process(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// Starts the child and waits at most `limit`. Nothing when it cannot be started, when waiting
// failed, or when it still runs at the first check after the limit (it is then killed with its
// tree, and its partial output discarded), or when a captured stream passed MAX_CAPTURED_BYTES.
// Each check tests for exit before it tests the limit.
[[nodiscard]] std::optional<ProcessOutput> run_with_timeout(const ChildCommand& command,
                                                            std::chrono::milliseconds limit,
                                                            const MonotonicClock& clock = steady_clock());

// The waiting half of run_with_timeout, for a child already started.
[[nodiscard]] std::optional<ProcessOutput> wait_for_output(Process& process, std::chrono::milliseconds limit,
                                                           const MonotonicClock& clock = steady_clock());

// Waits until the child exits or more than `limit` has passed, then kills it (with its tree).
void wait_or_kill(Process& process, std::chrono::milliseconds limit,
                  const MonotonicClock& clock = steady_clock());

}  // namespace platform

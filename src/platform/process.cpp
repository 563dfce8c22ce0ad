// The waiting rules shared by both platforms: exit test first, then the limit test, with a real
// wait on the child between the checks instead of a sleep.
#include "platform/process.hpp"

#include <algorithm>

namespace platform {
namespace {

#ifdef _WIN32
bool same_name(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}
#else
bool same_name(const std::string& a, const std::string& b) {
    return a == b;
}
#endif

void forget(ChildCommand& command, const std::string& name) {
    std::erase_if(command.set_variables, [&](const auto& entry) { return same_name(entry.first, name); });
    std::erase_if(command.removed_variables, [&](const auto& entry) { return same_name(entry, name); });
}

class SteadyClock final : public MonotonicClock {
  public:
    TimePoint now() const override { return std::chrono::steady_clock::now(); }
};

// How long to wait before the next check: until just past the limit, but at most `cadence`, so an
// injected clock is consulted again soon.
std::chrono::milliseconds next_wait(std::chrono::steady_clock::duration elapsed,
                                    std::chrono::milliseconds limit, std::chrono::milliseconds cadence) {
    const auto remaining =
        std::chrono::ceil<std::chrono::milliseconds>(limit - elapsed) + std::chrono::milliseconds(1);
    return std::clamp(remaining, std::chrono::milliseconds(1), cadence);
}

constexpr std::chrono::milliseconds OUTPUT_CADENCE{100};
constexpr std::chrono::milliseconds KILL_CADENCE{500};
// After the child exited, how long a process it left behind may hold the pipes open.
constexpr std::chrono::milliseconds DRAIN_PATIENCE{2000};

}  // namespace

ChildCommand& ChildCommand::set_env(std::string name, std::string value) {
    forget(*this, name);
    set_variables.emplace_back(std::move(name), std::move(value));
    return *this;
}

ChildCommand& ChildCommand::remove_env(std::string name) {
    forget(*this, name);
    removed_variables.push_back(std::move(name));
    return *this;
}

const MonotonicClock& steady_clock() {
    static const SteadyClock clock;
    return clock;
}

std::optional<ProcessOutput> run_with_timeout(const ChildCommand& command, std::chrono::milliseconds limit,
                                              const MonotonicClock& clock) {
    auto started = Process::start(command);
    auto* process = std::get_if<Process>(&started);
    if (process == nullptr) {
        return std::nullopt;
    }
    return wait_for_output(*process, limit, clock);
}

std::optional<ProcessOutput> wait_for_output(Process& process, std::chrono::milliseconds limit,
                                             const MonotonicClock& clock) {
    const auto start = clock.now();
    std::chrono::milliseconds wait{0};
    for (;;) {
        switch (process.wait_for(wait)) {
            case Process::State::Exited:
                return process.finish(DRAIN_PATIENCE);
            case Process::State::Failed:
                process.kill();
                return std::nullopt;
            case Process::State::Running:
                break;
        }
        const auto elapsed = clock.now() - start;
        if (elapsed > limit) {
            process.kill();
            return std::nullopt;
        }
        wait = next_wait(elapsed, limit, OUTPUT_CADENCE);
    }
}

void wait_or_kill(Process& process, std::chrono::milliseconds limit, const MonotonicClock& clock) {
    const auto start = clock.now();
    std::chrono::milliseconds wait{0};
    for (;;) {
        const auto state = process.wait_for(wait);
        if (state == Process::State::Exited) {
            return;
        }
        const auto elapsed = clock.now() - start;
        if (state == Process::State::Failed || elapsed > limit) {
            process.kill();
            return;
        }
        wait = next_wait(elapsed, limit, KILL_CADENCE);
    }
}

}  // namespace platform

#pragma once
// The machinery behind the process-wide log, as an object so that it can be tested on its own:
// a set-once file behind a mutex, each line handed to the system in one write.

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/clock.hpp"
#include "platform/file_io.hpp"

namespace diagnostics {

class LogSink {
public:
    using Clock = std::function<platform::FileTime()>;

    explicit LogSink(Clock clock = platform::precise_now);
    ~LogSink();
    LogSink(const LogSink&) = delete;
    LogSink& operator=(const LogSink&) = delete;

    // Opens the file once; later calls leave the first file in place. Returns whether the sink is on.
    // Keep appends to what the file holds (another process may be writing to it).
    enum class Mode { Truncate, Keep };
    bool open(const std::filesystem::path& path, Mode mode = Mode::Truncate);
    [[nodiscard]] bool enabled() const noexcept { return file_.load(std::memory_order_acquire) != nullptr; }

    void write_line(std::string_view message);

private:
    struct File;
    Clock clock_;
    std::mutex open_mutex_;
    std::atomic<File*> file_{nullptr};
};

// "[" + seconds + "] " + message + "\n"
[[nodiscard]] std::string format_log_line(platform::FileTime now, std::string_view message);

}  // namespace diagnostics

#include "diagnostics/log_sink.hpp"

#include <fmt/format.h>

#include <variant>

namespace diagnostics {

struct LogSink::File {
    explicit File(platform::SharedOutputFile f) : output(std::move(f)) {}
    std::mutex mutex;
    bool poisoned = false;  // a writer failed abnormally while holding the mutex
    platform::SharedOutputFile output;
};

LogSink::LogSink(Clock clock) : clock_(std::move(clock)) {}

LogSink::~LogSink() { delete file_.load(); }

bool LogSink::open(const std::filesystem::path& path, Mode mode) {
    std::lock_guard<std::mutex> lock(open_mutex_);
    if (enabled()) {
        return true;
    }
    auto created = mode == Mode::Truncate ? platform::SharedOutputFile::create_truncated(path)
                                          : platform::SharedOutputFile::open_appending(path);
    if (auto* output = std::get_if<platform::SharedOutputFile>(&created)) {
        file_.store(new File(std::move(*output)), std::memory_order_release);
        return true;
    }
    return false;
}

void LogSink::write_line(std::string_view message) {
    File* file = file_.load(std::memory_order_acquire);
    if (file == nullptr) {
        return;
    }
    std::string line;
    try {
        line = format_log_line(clock_(), message);
    } catch (...) {
        return;  // out of memory: the line is lost, the program goes on
    }
    std::lock_guard<std::mutex> lock(file->mutex);
    if (file->poisoned) {
        return;
    }
    try {
        (void)file->output.write(line);  // a failed write loses this line only
    } catch (...) {
        file->poisoned = true;
    }
}

std::string format_log_line(platform::FileTime now, std::string_view message) {
    return fmt::format("[{}] {}\n", platform::unix_seconds(now), message);
}

}  // namespace diagnostics

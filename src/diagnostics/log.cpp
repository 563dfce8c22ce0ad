#include "diagnostics/log.hpp"

#include "diagnostics/log_sink.hpp"
#include "platform/temp_directory.hpp"

namespace diagnostics {
namespace {

LogSink& process_sink() {
    // Never destroyed: threads that outlive main may still log.
    static LogSink* sink = new LogSink();
    return *sink;
}

}  // namespace

std::filesystem::path log_path() { return platform::temp_directory() / LOG_FILE_NAME; }

bool open_log(const std::filesystem::path& path) { return process_sink().open(path); }

bool open_log_keeping(const std::filesystem::path& path) {
    return process_sink().open(path, LogSink::Mode::Keep);
}

bool log_enabled() noexcept { return process_sink().enabled(); }

void log_line(std::string_view message) { process_sink().write_line(message); }

void log_owned(std::string message) { process_sink().write_line(message); }

void log_io_error(std::string_view message, platform::IoError error) {
    LogSink& sink = process_sink();
    if (!sink.enabled()) {
        return;
    }
    std::string line(message);
    line += ": ";
    line += platform::display(error);
    sink.write_line(line);
}

}  // namespace diagnostics

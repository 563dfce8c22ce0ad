#pragma once
// The optional diagnostic log: "gaugelet.log" in the temporary folder, written only after
// open_log succeeded (start-up does that for "--diagnose"). While it is off, every call returns
// after one test and nothing is created or touched.

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/io_error.hpp"

namespace diagnostics {

inline constexpr std::string_view LOG_FILE_NAME = "gaugelet.log";

// The temporary folder joined with LOG_FILE_NAME.
[[nodiscard]] std::filesystem::path log_path();

// Creates (or empties) the file and turns logging on for the rest of the process. A second call
// keeps the first file. Returns whether logging is on.
bool open_log(const std::filesystem::path& path);

// The same without emptying the file: for a start that found another instance running, whose
// lines must stay.
bool open_log_keeping(const std::filesystem::path& path);

[[nodiscard]] bool log_enabled() noexcept;

// One line: "[" + Unix seconds + "] " + message + "\n".
void log_line(std::string_view message);
// The same for a message the caller formatted; the text is released afterwards.
void log_owned(std::string message);
// "message: <system text> (os error N)".
void log_io_error(std::string_view message, platform::IoError error);

}  // namespace diagnostics

#pragma once
// gaugelet-cli: the usage of every account, and the settings file, for terminals, scripts and
// status lines. The commands write to the given streams and return the process's exit code, so
// the entry points of both systems stay a few lines each.

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "poller/endpoint_overrides.hpp"
#include "poller/endpoints.hpp"

namespace cli {

inline constexpr int EXIT_OK = 0;
inline constexpr int EXIT_SETTINGS_INVALID = 1;
inline constexpr int EXIT_USAGE = 2;
inline constexpr int EXIT_ACCOUNT_FAILED = 3;

// Developer overrides for testing against local servers; the program's own hosts otherwise.
using poller::ANTHROPIC_BASE_VARIABLE;
using poller::CA_FILE_VARIABLE;
using poller::CHATGPT_BASE_VARIABLE;

// The name the log file has, beside the tray program's, so a run never empties that one.
inline constexpr std::string_view CLI_LOG_FILE_NAME = "gaugelet-cli.log";

enum class Command { Status, Settings, Help };

struct Arguments {
    Command command = Command::Help;
    bool json = false;
    bool diagnose = false;
};

// The arguments after the program name; the message to show with the usage text when they are
// not understood.
struct UsageError {
    std::string message;
};
[[nodiscard]] std::optional<Arguments> parse_arguments(const std::vector<std::string>& arguments,
                                                       UsageError& error);

[[nodiscard]] std::string usage_text();

// The production endpoints with the developer overrides applied.
[[nodiscard]] poller::Endpoints endpoints_from_environment();

// Loads the settings file, polls every account once and prints the result. 0 when every account
// was read, 3 when one was not; 1 (and no poll) when the settings file cannot be used.
[[nodiscard]] int run_status(bool json, std::ostream& out, std::ostream& err);

// Prints the settings as the program loads and would save them; 1 when the file is invalid.
[[nodiscard]] int run_settings(std::ostream& out, std::ostream& err);

// The whole program after argument conversion; never throws.
[[nodiscard]] int run(const std::vector<std::string>& arguments, std::ostream& out,
                      std::ostream& err) noexcept;

}  // namespace cli

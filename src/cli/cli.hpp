#pragma once
// gaugelet-cli: the usage of every account, the account list and its operations, and the settings
// file, for terminals, scripts and status lines. The commands write to the given streams and
// return the process's exit code, so the entry points of both systems stay a few lines each.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "accounts/account.hpp"
#include "platform/clock.hpp"
#include "poller/endpoint_overrides.hpp"
#include "poller/endpoints.hpp"

namespace cli {

inline constexpr int EXIT_OK = 0;
inline constexpr int EXIT_SETTINGS_INVALID = 1;
inline constexpr int EXIT_SIGN_IN_FAILED = 1;
inline constexpr int EXIT_USAGE = 2;
inline constexpr int EXIT_ACCOUNT_FAILED = 3;

// Developer overrides for testing against local servers; the program's own hosts otherwise.
using poller::ANTHROPIC_BASE_VARIABLE;
using poller::CA_FILE_VARIABLE;
using poller::CHATGPT_BASE_VARIABLE;

// The name the log file has, beside the tray program's, so a run never empties that one.
inline constexpr std::string_view CLI_LOG_FILE_NAME = "gaugelet-cli.log";

// How old the last poll may be for `status --line` to answer from it, unless --max-age says.
inline constexpr std::uint32_t DEFAULT_MAX_AGE_SECONDS = 60;

enum class Command { Status, Settings, Accounts, Add, Relogin, Remove, Help, Version };

struct Arguments {
    Command command = Command::Help;
    bool json = false;
    bool line = false;
    bool diagnose = false;
    std::optional<std::string> account;  // status: only this account
    std::uint32_t max_age_seconds = DEFAULT_MAX_AGE_SECONDS;
    accounts::Provider provider = accounts::Provider::Claude;  // add
    std::string id;                                            // relogin, remove
    std::optional<std::filesystem::path> dir;                  // add --dir
    std::optional<std::filesystem::path> settings;
    std::optional<std::string> anthropic_url;
    std::optional<std::string> chatgpt_url;
};

// The arguments after the program name; the message naming the argument that was not understood.
struct UsageError {
    std::string message;
};
[[nodiscard]] std::optional<Arguments> parse_arguments(const std::vector<std::string>& arguments,
                                                       UsageError& error);

[[nodiscard]] std::string usage_text();
// "gaugelet-cli 1.2.3", the version the build was made with.
[[nodiscard]] std::string version_text();

// What every command works on: the settings file, the hosts, and the clock.
struct Session {
    std::filesystem::path settings_path;
    poller::Endpoints endpoints;
    std::function<platform::FileTime()> now = platform::precise_now;
    // An override that names another machine: nothing is asked, the command fails with this line.
    std::optional<std::string> refused_override;
};

// The session the arguments ask for: --settings (made absolute, so account folders chosen from it
// do not depend on the working folder) or the program's own path; the production endpoints with
// the developer variables applied, then the options, which win over the variables; each only
// when it names this machine.
[[nodiscard]] Session session_for(const Arguments& arguments);

// Loads the settings file, polls every account once (or only answers from the last poll, for
// --line) and prints the result. 0 when every account shown was read, 3 when one was not; 1 (and
// no poll) when the settings file cannot be used; 2 for an --account that is not in the list.
[[nodiscard]] int run_status(const Arguments& arguments, const Session& session, std::ostream& out,
                             std::ostream& err);

// Prints the settings as the program loads and would save them; 1 when the file is invalid.
[[nodiscard]] int run_settings(const Session& session, std::ostream& out, std::ostream& err);

// The account list, as lines or as the settings file's records.
[[nodiscard]] int run_accounts(bool json, const Session& session, std::ostream& out, std::ostream& err);

// add / add --dir / relogin / remove in this terminal, ending with the save and one poll cycle.
// 0 on success, 1 when the sign-in failed (or the file could not be used or saved), 2 for an id
// that is not in the list or a --dir that cannot be adopted.
[[nodiscard]] int run_account_operation(const Arguments& arguments, const Session& session, std::ostream& out,
                                        std::ostream& err);

// The whole program after argument conversion; never throws.
[[nodiscard]] int run(const std::vector<std::string>& arguments, std::ostream& out,
                      std::ostream& err) noexcept;

}  // namespace cli

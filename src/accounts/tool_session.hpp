#pragma once
// How the program reaches the providers' tools: where they are found and how long each kind of
// call may take. Tests shorten the limits and point the locator at stand-in tools.

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>

#include "accounts/account.hpp"
#include "accounts/folder_uses.hpp"
#include "accounts/refresh_limit.hpp"
#include "accounts/tool_discovery.hpp"
#include "platform/process.hpp"

namespace accounts {

struct ToolLimits {
    std::chrono::milliseconds login{180'000};  // the user's time for the browser sign-in
    std::chrono::milliseconds status{15'000};
    std::chrono::milliseconds refresh{30'000};
    std::chrono::milliseconds logout{30'000};
};

// Lets a tool into an account folder (the lease keeps the folder busy while the tool runs), or
// refuses with nothing.
using FolderAdmission = std::function<std::optional<FolderUses::Lease>(const std::filesystem::path& dir)>;

struct ToolSession {
    ToolLocator locator;
    ToolLimits limits;
    const platform::MonotonicClock* clock = &platform::steady_clock();
    // Polls and re-logins admit a tool only while their account is still listed; unset, every
    // folder is let in (an add signs in inside a folder no account owns yet).
    FolderAdmission admit{};
    // Holds back a token refresh that would repeat an unhelpful one; none limits nothing.
    RefreshLimit* refresh_limit = &accounts::refresh_limit();
};

// Asked just before a tool starts in `dir`: the lease to hold while it runs, or nothing when the
// tool must not run there.
[[nodiscard]] std::optional<FolderUses::Lease> enter_folder(const ToolSession& session,
                                                            const std::filesystem::path& dir);

// A Claude command for `dir`: CLAUDE_CONFIG_DIR set and, when `clean`, CLAUDECODE and
// CLAUDE_CODE_ENTRYPOINT removed so the tool does not think it runs inside another session.
// Nothing when the directory is not valid text (it could not be handed to the tool).
enum class ClaudeEnvironment { Clean, Inherited };
[[nodiscard]] std::optional<platform::ChildCommand> claude_command_for(const ToolSession& session,
                                                                       std::vector<std::string> arguments,
                                                                       const std::filesystem::path& dir,
                                                                       ClaudeEnvironment environment);

// Every standard stream of the command discarded.
void discard_all_streams(platform::ChildCommand& command);

}  // namespace accounts

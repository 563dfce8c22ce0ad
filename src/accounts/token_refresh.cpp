#include "accounts/token_refresh.hpp"

#include <fmt/format.h>

#include "diagnostics/log.hpp"
#include "text/debug_text.hpp"
#include "text/path_text.hpp"

namespace accounts {
namespace {

// Starts the refresh child and waits for it; a start failure is logged under the tool's name.
void run_refresh(platform::ChildCommand command, std::string_view tool, const ToolSession& session) {
    // A refresh is a one-shot prompt: nothing it starts has a reason to outlive it.
    command.leftovers = platform::Leftovers::End;
    auto started = platform::Process::start(command);
    if (auto* error = std::get_if<platform::IoError>(&started)) {
        diagnostics::log_owned(
            fmt::format("unable to spawn Windows {} token refresh: {}", tool, platform::display(*error)));
        return;
    }
    // Only the rewritten credential file matters; the exit code and output are not used.
    platform::wait_or_kill(std::get<platform::Process>(started), session.limits.refresh, *session.clock);
}

}  // namespace

std::variant<ClaudeCredentials, CredentialsFailure> resolve_claude_credentials(
    const std::filesystem::path& dir, const ToolSession& session, platform::FileTime (*now)()) {
    const CredentialSource source{dir};
    auto credentials = load_claude_credentials(source);
    if (!credentials) {
        return CredentialsFailure::NoCredentials;
    }
    if (!credentials_expired(*credentials, now())) {
        return std::move(*credentials);
    }
    refresh_claude_token(dir, session);
    credentials = load_claude_credentials(source);
    if (!credentials) {
        diagnostics::log_owned(
            fmt::format("credentials from {} unavailable after refresh attempt", debug_text(source)));
        return CredentialsFailure::UnusableAfterRefresh;
    }
    if (credentials_expired(*credentials, now())) {
        diagnostics::log_owned(
            fmt::format("credentials from {} still expired after refresh attempt", debug_text(source)));
        return CredentialsFailure::UnusableAfterRefresh;
    }
    return std::move(*credentials);
}

void refresh_claude_token(const std::filesystem::path& dir, const ToolSession& session) {
    const auto lease = enter_folder(session, dir);
    if (!lease) {
        return;  // the account has gone: its folder gets no fresh credentials
    }
    const LocatedTool tool = session.locator.locate_claude();
    diagnostics::log_owned(fmt::format("attempting Windows Claude token refresh via {} (dir=Some({}))",
                                       tool.program, text::debug_path(dir)));
    if (!tool.found) {
        diagnostics::log_owned(fmt::format(
            "unable to spawn Windows Claude token refresh: {} is in no folder of PATH", tool.program));
        return;
    }
    platform::ChildCommand command = tool_command(tool, false, {"-p", "."});
    // The same environment as every clean Claude call, without locating the tool a second time.
    if (const auto dir_text = text::path_to_utf8(dir)) {
        command.set_env("CLAUDE_CONFIG_DIR", *dir_text);
    } else {
        diagnostics::log_line(
            "unable to spawn Windows Claude token refresh: path contains invalid UTF-8 characters");
        return;
    }
    command.remove_env("CLAUDECODE");
    command.remove_env("CLAUDE_CODE_ENTRYPOINT");
    discard_all_streams(command);
    run_refresh(std::move(command), "Claude", session);
}

void refresh_codex_token(const std::filesystem::path& dir, const ToolSession& session) {
    const auto lease = enter_folder(session, dir);
    if (!lease) {
        return;  // the account has gone: its folder gets no fresh credentials
    }
    diagnostics::log_owned(
        fmt::format("attempting Windows Codex token refresh (dir=Some({}))", text::debug_path(dir)));
    platform::ChildCommand command = session.locator.codex_command({"exec", "."}, dir);
    discard_all_streams(command);
    run_refresh(std::move(command), "Codex", session);
}

}  // namespace accounts

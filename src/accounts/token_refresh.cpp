#include "accounts/token_refresh.hpp"

#include <fmt/format.h>

#include "accounts/codex_credentials.hpp"
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

// Runs `refresh` unless the session's limit holds it back; whether it ran.
template <typename Refresh>
bool within_limit(const std::filesystem::path& dir, std::string_view file_name, std::string_view tool,
                  const ToolSession& session, Refresh refresh) {
    if (session.refresh_limit == nullptr) {
        refresh();
        return true;
    }
    if (session.refresh_limit->run(dir, dir / file_name, session.clock->now(), refresh)) {
        return true;
    }
    diagnostics::log_owned(fmt::format(
        "{} token refresh held back (dir=Some({})): the last one left the credentials unchanged less than "
        "30 minutes ago",
        tool, text::debug_path(dir)));
    return false;
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

bool refresh_claude_token(const std::filesystem::path& dir, const ToolSession& session) {
    const auto lease = enter_folder(session, dir);
    if (!lease) {
        return false;  // the account has gone: its folder gets no fresh credentials
    }
    return within_limit(dir, CLAUDE_CREDENTIALS_FILE, "Claude", session, [&] {
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
    });
}

bool refresh_codex_token(const std::filesystem::path& dir, const ToolSession& session) {
    const auto lease = enter_folder(session, dir);
    if (!lease) {
        return false;  // the account has gone: its folder gets no fresh credentials
    }
    return within_limit(dir, CODEX_AUTH_FILE_NAME, "Codex", session, [&] {
        diagnostics::log_owned(
            fmt::format("attempting Windows Codex token refresh (dir=Some({}))", text::debug_path(dir)));
        platform::ChildCommand command = session.locator.codex_command({"exec", "."}, dir);
        discard_all_streams(command);
        run_refresh(std::move(command), "Codex", session);
    });
}

}  // namespace accounts

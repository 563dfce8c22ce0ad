#pragma once
// Renewing expired or rejected access tokens by letting the provider's tool do it: the tool is
// run once in the account's directory, and whatever it wrote there is read afresh.

#include <filesystem>
#include <variant>

#include "accounts/claude_credentials.hpp"
#include "accounts/tool_session.hpp"

namespace accounts {

enum class CredentialsFailure {
    NoCredentials,         // nothing readable at the first read; no refresh was tried
    UnusableAfterRefresh,  // missing or still expired after the refresh
};

// The directory's credentials, refreshed once through the Claude tool when they have expired
// (and the session's refresh limit lets the tool run).
[[nodiscard]] std::variant<ClaudeCredentials, CredentialsFailure> resolve_claude_credentials(
    const std::filesystem::path& dir, const ToolSession& session = {},
    platform::FileTime (*now)() = platform::precise_now);

// Runs "claude -p ." in the directory and waits for it (killed after the refresh time limit);
// false when it did not run (the account has gone, or the session's refresh limit held it back).
bool refresh_claude_token(const std::filesystem::path& dir, const ToolSession& session = {});

// Runs "codex exec ." in the directory and waits for it (killed after the refresh time limit);
// false when it did not run (the account has gone, or the session's refresh limit held it back).
bool refresh_codex_token(const std::filesystem::path& dir, const ToolSession& session = {});

}  // namespace accounts

#pragma once
// Signing a directory in through the provider's own tool, and asking who is signed in.

#include <filesystem>
#include <optional>
#include <string>

#include "accounts/tool_session.hpp"

namespace accounts {

// Creates the directory, runs the tool's login (the user finishes it in the browser) and
// reports whether the tool then says the directory is logged in.
[[nodiscard]] bool login(Provider provider, const std::filesystem::path& dir,
                         const ToolSession& session = {});

// The address the Claude tool reports for a logged-in directory.
[[nodiscard]] std::optional<std::string> claude_auth_email(const std::filesystem::path& dir,
                                                           const ToolSession& session = {});

// Claude: the tool's status; Codex: the identity token in auth.json.
[[nodiscard]] std::optional<std::string> account_email(Provider provider, const std::filesystem::path& dir,
                                                       const ToolSession& session = {});

}  // namespace accounts

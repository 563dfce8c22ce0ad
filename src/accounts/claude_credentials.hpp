#pragma once
// The OAuth token the Claude command-line tool keeps in <config dir>/.credentials.json.
// Read only: the tool writes the file, this program never does.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/clock.hpp"

namespace accounts {

inline constexpr std::string_view CLAUDE_CREDENTIALS_FILE = ".credentials.json";

// Where credentials were read from: an account's Claude configuration directory.
struct CredentialSource {
    std::filesystem::path claude_dir;

    friend bool operator==(const CredentialSource&, const CredentialSource&) = default;
};

// ClaudeDir("C:\\Users\\a\\.claude"): the form used in log lines.
[[nodiscard]] std::string debug_text(const CredentialSource& source);

struct ClaudeCredentials {
    std::optional<std::int64_t> expires_at;  // milliseconds since 1970-01-01 UTC
    std::string access_token;                // may be empty
    CredentialSource source;
};

// The token and expiry, or nothing for any failure (missing file, bad JSON, a byte-order mark,
// invalid UTF-8, a missing or mistyped member). Other members of the file are never copied.
[[nodiscard]] std::optional<ClaudeCredentials> load_claude_credentials(const CredentialSource& source);

// True when an expiry is known and is not later than the current millisecond (no margin).
[[nodiscard]] bool credentials_expired(const ClaudeCredentials& credentials,
                                       platform::FileTime now = platform::precise_now());

}  // namespace accounts

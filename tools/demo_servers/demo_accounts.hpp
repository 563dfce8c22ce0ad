#pragma once
// The sample settings folder: three accounts (two Claude, one Codex) signed in the way the fake
// provider tools keep their state, and the panel pinned so everything shows at once.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace demo {

// The bearer tokens the sample credential files hold; the servers answer by them.
inline constexpr const char* CLAUDE_MODELS_TOKEN = "demo-claude-with-model-bars";
inline constexpr const char* CLAUDE_FALLBACK_TOKEN = "demo-claude-messages-fallback";
inline constexpr const char* CODEX_TOKEN = "demo-codex";

// Left beside settings.json by write_sample_accounts: the folder holds a sample and may be replaced.
inline constexpr const char* SAMPLE_MARKER_NAME = "demo-sample.txt";

// Writes settings.json at `settings_path` and the account folders beside it; the reason on failure.
// A settings file or an accounts folder there that an earlier sample did not write (someone's own
// accounts) is refused and left exactly as it is.
[[nodiscard]] std::optional<std::string> write_sample_accounts(const std::filesystem::path& settings_path,
                                                               std::int64_t unix_milliseconds_now);

}  // namespace demo

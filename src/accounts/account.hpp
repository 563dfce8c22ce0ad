#pragma once
// The account record: one configuration directory of the Claude or Codex command-line tool.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace accounts {

enum class Provider { Claude, Codex };

// "claude" / "codex": the JSON spelling and the prefix of generated ids.
[[nodiscard]] std::string_view provider_json_name(Provider provider) noexcept;
// "Claude" / "Codex": the form used in log lines.
[[nodiscard]] std::string_view provider_debug_name(Provider provider) noexcept;
// Exact, lower-case match of the JSON spelling.
[[nodiscard]] std::optional<Provider> provider_from_json_name(std::string_view name) noexcept;

struct Account {
    std::string id;                    // claude-1, codex-2, ... unique within the list
    Provider provider = Provider::Claude;
    std::filesystem::path dir;         // CLAUDE_CONFIG_DIR or CODEX_HOME of this account
    std::optional<std::string> email;  // last address known for the account
    std::uint32_t order = 0;           // how many accounts existed when this one was added

    friend bool operator==(const Account&, const Account&) = default;
};

}  // namespace accounts

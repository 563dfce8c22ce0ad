#pragma once
// The Codex tool's credential file "auth.json": the tokens for the usage request and the e-mail
// claim of its identity token. Reading only; every failure is nothing, silently.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace accounts {

inline constexpr std::string_view CODEX_AUTH_FILE_NAME = "auth.json";

struct CodexTokenData {
    std::string access_token;               // never empty
    std::optional<std::string> account_id;  // absent or null in the file: none

    friend bool operator==(const CodexTokenData&, const CodexTokenData&) = default;
};

struct CodexAuthFile {
    CodexTokenData tokens;
};

// dir/auth.json decoded strictly: an object whose `tokens` object holds a string `access_token`
// and perhaps a string or null `account_id`; other members are ignored. A repeated member, a
// wrong type, trailing text or an empty access token gives nothing.
[[nodiscard]] std::optional<CodexTokenData> load_codex_tokens(const std::filesystem::path& dir);

// The `email` claim of `tokens`.`id_token` in dir/auth.json. The token is not verified: the
// address is only shown.
[[nodiscard]] std::optional<std::string> codex_account_email(const std::filesystem::path& dir);

// Unpadded URL-safe Base64 after every "=" is removed: "+", "/" and any other byte outside the
// alphabet fail, as does a final group of one character; leftover low bits are ignored.
[[nodiscard]] std::optional<std::string> decode_base64url(std::string_view text);

}  // namespace accounts

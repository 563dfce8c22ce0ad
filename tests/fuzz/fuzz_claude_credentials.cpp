// Feeds arbitrary bytes to the Claude credential reader as the file ".credentials.json". A token
// it reads must be valid text, an absent expiry never expires, and the token and expiry written
// back in the tool's own shape must read back the same.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <nlohmann/json.hpp>
#include <string_view>

#include "accounts/claude_credentials.hpp"
#include "fuzz_support.hpp"
#include "text/utf8.hpp"

using fuzz_support::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto& dir = fuzz_support::scratch_folder();
    const auto file = dir / accounts::CLAUDE_CREDENTIALS_FILE;
    fuzz_support::write_bytes(file, input);
    const accounts::CredentialSource source{dir};
    const auto read = accounts::load_claude_credentials(source);
    if (!read) {
        return 0;
    }
    check(read->source == source, "the credentials name another source");
    check(text::is_valid_utf8(read->access_token), "the access token is not valid UTF-8");

    constexpr auto LATEST = std::numeric_limits<platform::FileTime>::max();
    check(read->expires_at.has_value() || !accounts::credentials_expired(*read, LATEST),
          "credentials without an expiry expired");
    check(!accounts::credentials_expired(*read, 0) || accounts::credentials_expired(*read, LATEST),
          "credentials expired at the earliest instant but not at the latest");

    nlohmann::json oauth{{"accessToken", read->access_token}};
    if (read->expires_at) {
        oauth["expiresAt"] = *read->expires_at;
    }
    fuzz_support::write_bytes(file, nlohmann::json{{"claudeAiOauth", oauth}}.dump());
    const auto again = accounts::load_claude_credentials(source);
    check(again && again->access_token == read->access_token && again->expires_at == read->expires_at,
          "the credentials written back read differently");
    return 0;
}

#include "accounts/claude_credentials.hpp"

#include "platform/file_io.hpp"
#include "strict_json/strict_json.hpp"
#include "text/debug_text.hpp"
#include "text/utf8.hpp"

namespace accounts {
namespace {

std::int64_t unix_millis_or_zero(platform::FileTime now) {
    if (now < platform::FILETIME_UNIX_EPOCH) {
        return 0;
    }
    return static_cast<std::int64_t>((now - platform::FILETIME_UNIX_EPOCH) /
                                     platform::FILETIME_TICKS_PER_MILLISECOND);
}

}  // namespace

std::string debug_text(const CredentialSource& source) {
    return "ClaudeDir(" + text::debug_path(source.claude_dir) + ")";
}

std::optional<ClaudeCredentials> load_claude_credentials(const CredentialSource& source) {
    auto contents = platform::read_file(source.claude_dir / CLAUDE_CREDENTIALS_FILE);
    const auto* bytes = std::get_if<std::string>(&contents);
    if (bytes == nullptr || !text::is_valid_utf8(*bytes)) {
        return std::nullopt;
    }
    auto parsed = strict_json::parse(*bytes);
    const auto* root = std::get_if<strict_json::Json>(&parsed);
    if (root == nullptr || !root->is_object()) {
        return std::nullopt;
    }
    const auto oauth = root->find("claudeAiOauth");
    if (oauth == root->end() || !oauth->is_object()) {
        return std::nullopt;
    }
    const auto token = oauth->find("accessToken");
    if (token == oauth->end() || !token->is_string()) {
        return std::nullopt;
    }
    ClaudeCredentials credentials{std::nullopt, token->get<std::string>(), source};
    if (const auto expires = oauth->find("expiresAt"); expires != oauth->end()) {
        credentials.expires_at = strict_json::as_i64(*expires);
    }
    return credentials;
}

bool credentials_expired(const ClaudeCredentials& credentials, platform::FileTime now) {
    return credentials.expires_at && *credentials.expires_at <= unix_millis_or_zero(now);
}

}  // namespace accounts

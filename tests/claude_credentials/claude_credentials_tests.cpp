#include <gtest/gtest.h>

#include "accounts/claude_credentials.hpp"
#include "support/temp_folder.hpp"

namespace {

using accounts::ClaudeCredentials;
using accounts::CredentialSource;
using test_support::TempFolder;

constexpr std::int64_t NOW_MS = 1767225600123;  // 2026-01-01T00:00:00.123Z
constexpr platform::FileTime NOW = platform::FILETIME_UNIX_EPOCH + NOW_MS * 10000 + 9999;  // .1239999

std::optional<ClaudeCredentials> load(const TempFolder& folder, const std::string& contents) {
    test_support::write_text(folder / ".credentials.json", contents);
    return accounts::load_claude_credentials(CredentialSource{folder.path()});
}

TEST(ClaudeCredentials, ReadsTokenAndExpiryAndKeepsTheSource) {
    TempFolder folder("Zo\xC3\xAB");
    const auto credentials = load(folder, R"({"claudeAiOauth": {"accessToken": "sk-ant-oat01-abc",
        "refreshToken": "sk-ant-ort01-secret", "expiresAt": 1767225600123, "scopes": ["user:inference"]},
        "other": 1})");
    ASSERT_TRUE(credentials);
    EXPECT_EQ(credentials->access_token, "sk-ant-oat01-abc");
    EXPECT_EQ(credentials->expires_at, NOW_MS);
    EXPECT_EQ(credentials->source, CredentialSource{folder.path()});
}

TEST(ClaudeCredentials, ExpiryIsReadOnlyAsAnExactInteger) {
    TempFolder folder;
    const struct {
        const char* expires;
        std::optional<std::int64_t> expected;
    } cases[] = {
        {"1767225600123", NOW_MS},           {"-5", -5},
        {"9223372036854775807", INT64_MAX},  {"9223372036854775808", std::nullopt},
        {"1767225600123.0", std::nullopt},   {"1.7e12", std::nullopt},
        {"\"1767225600123\"", std::nullopt}, {"null", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto credentials =
            load(folder,
                 std::string(R"({"claudeAiOauth": {"accessToken": "t", "expiresAt": )") + c.expires + "}}");
        ASSERT_TRUE(credentials) << c.expires;
        EXPECT_EQ(credentials->expires_at, c.expected) << c.expires;
    }
}

TEST(ClaudeCredentials, EveryUnusableFileYieldsNothing) {
    TempFolder folder;
    const std::string unusable[] = {
        "",
        "[]",
        R"({"claudeAiOauth": {"accessToken": 42}})",
        R"({"claudeAiOauth": {"expiresAt": 1}})",
        R"({"claudeAiOauth": "token"})",
        R"({"accessToken": "t"})",
        "\xEF\xBB\xBF{\"claudeAiOauth\": {\"accessToken\": \"t\"}}",
        "{\"claudeAiOauth\": {\"accessToken\": \"t\xFF\"}}",
        R"({"claudeAiOauth": {"accessToken": "t", "accessToken": "u"}})",
        R"({"claudeAiOauth": {"accessToken": "t"}} trailing)",
    };
    for (const auto& contents : unusable) {
        EXPECT_FALSE(load(folder, contents)) << contents;
    }
    EXPECT_FALSE(accounts::load_claude_credentials(CredentialSource{folder / "missing"}));
}

TEST(ClaudeCredentials, AnEmptyTokenIsStillAToken) {
    TempFolder folder;
    const auto credentials = load(folder, R"({"claudeAiOauth": {"accessToken": ""}})");
    ASSERT_TRUE(credentials);
    EXPECT_EQ(credentials->access_token, "");
}

TEST(CredentialsExpired, ComparesWithTheCurrentMillisecondWithoutMargin) {
    const auto with_expiry = [](std::optional<std::int64_t> at) { return ClaudeCredentials{at, "t", {}}; };
    EXPECT_TRUE(accounts::credentials_expired(with_expiry(NOW_MS), NOW));
    EXPECT_TRUE(accounts::credentials_expired(with_expiry(NOW_MS - 1), NOW));
    EXPECT_FALSE(accounts::credentials_expired(with_expiry(NOW_MS + 1), NOW));
    EXPECT_FALSE(accounts::credentials_expired(with_expiry(std::nullopt), 0)) << "no expiry: never expired";
    EXPECT_TRUE(accounts::credentials_expired(with_expiry(0), 0)) << "a clock before 1970 reads as 0";
    EXPECT_FALSE(accounts::credentials_expired(with_expiry(1), 0));
}

TEST(CredentialSource, RendersTheDirectoryWithBackslashesDoubled) {
    EXPECT_EQ(accounts::debug_text(CredentialSource{test_support::utf8_path("C:\\Users\\a\\.claude")}),
              "ClaudeDir(\"C:\\\\Users\\\\a\\\\.claude\")");
    EXPECT_EQ(accounts::debug_text(CredentialSource{test_support::utf8_path("/home/\"q\"/Zo\xC3\xAB")}),
              "ClaudeDir(\"/home/\\\"q\\\"/Zo\xC3\xAB\")");
}

}  // namespace

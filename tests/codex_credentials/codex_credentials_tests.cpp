// Reading "auth.json": the strict token decoding and the e-mail claim of the identity token.
#include <gtest/gtest.h>

#include "accounts/codex_credentials.hpp"
#include "support/temp_folder.hpp"

namespace {

using accounts::CodexTokenData;

struct TokenCase {
    const char* name;
    std::string file;
    std::optional<CodexTokenData> tokens;
};

class CodexCredentials : public ::testing::Test {
  protected:
    void write(std::string_view contents) const { test_support::write_text(folder_ / "auth.json", contents); }
    test_support::TempFolder folder_{"gaugelet-codex-credentials"};
};

TEST_F(CodexCredentials, TokensAreDecodedStrictly) {
    const TokenCase cases[] = {
        {"full file",
         R"({"OPENAI_API_KEY": null, "tokens": {"id_token": "x", "access_token": "at", "refresh_token": "rt",
             "account_id": "acc"}, "last_refresh": "2025-01-01T00:00:00Z"})",
         CodexTokenData{"at", "acc"}},
        {"account id null", R"({"tokens": {"access_token": "at", "account_id": null}})",
         CodexTokenData{"at", {}}},
        {"account id absent", R"({"tokens": {"access_token": "at"}})", CodexTokenData{"at", {}}},
        {"trailing white space", "{\"tokens\": {\"access_token\": \"at\"}}\r\n\t ", CodexTokenData{"at", {}}},
        {"empty access token", R"({"tokens": {"access_token": ""}})", std::nullopt},
        {"access token a number", R"({"tokens": {"access_token": 42}})", std::nullopt},
        {"access token missing", R"({"tokens": {"account_id": "acc"}})", std::nullopt},
        {"account id a number", R"({"tokens": {"access_token": "at", "account_id": 7}})", std::nullopt},
        {"tokens twice", R"({"tokens": {"access_token": "a"}, "tokens": {"access_token": "b"}})",
         std::nullopt},
        {"access token twice", R"({"tokens": {"access_token": "a", "access_token": "b"}})", std::nullopt},
        {"tokens missing", R"({"access_token": "at"})", std::nullopt},
        {"tokens not an object", R"({"tokens": "at"})", std::nullopt},
        {"tokens null", R"({"tokens": null})", std::nullopt},
        {"top level an array", R"([{"tokens": {"access_token": "at"}}])", std::nullopt},
        {"trailing text", R"({"tokens": {"access_token": "at"}} x)", std::nullopt},
        {"byte-order mark", "\xEF\xBB\xBF{\"tokens\": {\"access_token\": \"at\"}}", std::nullopt},
        {"empty file", "", std::nullopt},
        {"not JSON", "tokens=at", std::nullopt},
    };
    for (const auto& c : cases) {
        write(c.file);
        EXPECT_EQ(accounts::load_codex_tokens(folder_.path()), c.tokens) << c.name;
    }
}

TEST_F(CodexCredentials, MissingOrOversizedFileGivesNothing) {
    EXPECT_EQ(accounts::load_codex_tokens(folder_.path()), std::nullopt);
    EXPECT_EQ(accounts::codex_account_email(folder_.path()), std::nullopt);
    // Over the 1 MiB read cap, however valid.
    write(R"({"tokens": {"access_token": "at", "pad": ")" + std::string(1024 * 1024, 'x') + "\"}}");
    EXPECT_EQ(accounts::load_codex_tokens(folder_.path()), std::nullopt);
}

std::string base64url(std::string_view bytes) {
    static constexpr char ALPHABET[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        unsigned v = 0;
        for (std::size_t j = 0; j < 3; ++j) {
            v = v << 8 | (j < n ? static_cast<unsigned char>(bytes[i + j]) : 0u);
        }
        for (std::size_t j = 0; j < n + 1; ++j) {
            out += ALPHABET[(v >> (18 - 6 * j)) & 63];
        }
    }
    return out;
}

std::string auth_with_id_token(std::string_view id_token) {
    return R"({"tokens": {"access_token": "at", "id_token": ")" + std::string(id_token) + "\"}}";
}

struct EmailCase {
    const char* name;
    std::string id_token;
    std::optional<std::string> email;
};

TEST_F(CodexCredentials, EmailComesFromTheIdentityTokenPayload) {
    const std::string payload = base64url(R"({"email":"ada@example.com","sub":"u12"})");  // 52 characters
    ASSERT_EQ(payload.size() % 4, 0u);
    const std::string short_payload = base64url(R"({"email":"ada@example.com" })");  // ends in a short group
    ASSERT_NE(short_payload.size() % 4, 0u);
    const EmailCase cases[] = {
        {"three pieces", "h." + payload + ".sig", "ada@example.com"},
        {"two pieces", "h." + payload, "ada@example.com"},
        {"short last group", "h." + short_payload + ".s", "ada@example.com"},
        {"padded", "h." + short_payload + std::string(4 - short_payload.size() % 4, '=') + ".s",
         "ada@example.com"},
        {"'=' anywhere is dropped", "h.=" + payload.substr(0, 4) + "==" + payload.substr(4) + "=.s",
         "ada@example.com"},
        {"no dot", payload, std::nullopt},
        {"empty payload", "h..s", std::nullopt},
        {"4k+1 characters", "h." + payload + "A.s", std::nullopt},
        {"4k+1 characters with padding", "h." + payload + "A===.s", std::nullopt},
        {"email a number", "h." + base64url(R"({"email":42})") + ".s", std::nullopt},
        {"no email claim", "h." + base64url(R"({"sub":"u1"})") + ".s", std::nullopt},
        {"payload not JSON", "h." + base64url("email") + ".s", std::nullopt},
        {"payload not an object", "h." + base64url(R"(["ada@example.com"])") + ".s", std::nullopt},
    };
    for (const auto& c : cases) {
        write(auth_with_id_token(c.id_token));
        EXPECT_EQ(accounts::codex_account_email(folder_.path()), c.email) << c.name;
    }
}

TEST_F(CodexCredentials, StandardAlphabetFails) {
    // ">>>" and "???" encode as "Pj4-" / "Pz8_" URL-safe and "Pj4+" / "Pz8/" in the standard alphabet.
    const std::string claims = R"({"email":"a@b.c","n":">>>???"})";
    const std::string url_safe = base64url(claims);
    ASSERT_NE(url_safe.find_first_of("-_"), std::string::npos);
    std::string standard = url_safe;
    for (char& c : standard) {
        c = c == '-' ? '+' : c == '_' ? '/' : c;
    }
    write(auth_with_id_token("h." + url_safe + ".s"));
    EXPECT_EQ(accounts::codex_account_email(folder_.path()), "a@b.c");
    write(auth_with_id_token("h." + standard + ".s"));
    EXPECT_EQ(accounts::codex_account_email(folder_.path()), std::nullopt);
}

TEST_F(CodexCredentials, TokensAndEmailAreReadIndependently) {
    const std::string id_token = "h." + base64url(R"({"email":"ada@example.com"})") + ".s";
    write(R"({"tokens": {"access_token": "", "id_token": ")" + id_token + "\"}}");
    EXPECT_EQ(accounts::load_codex_tokens(folder_.path()), std::nullopt);
    EXPECT_EQ(accounts::codex_account_email(folder_.path()), "ada@example.com");

    write(R"({"tokens": {"access_token": "at", "id_token": 5}})");
    EXPECT_EQ(accounts::load_codex_tokens(folder_.path()), (CodexTokenData{"at", {}}));
    EXPECT_EQ(accounts::codex_account_email(folder_.path()), std::nullopt);
}

TEST(Base64Url, GroupsAndLeftoverBits) {
    struct Case {
        std::string text;
        std::optional<std::string> bytes;
    };
    const Case cases[] = {
        {"", ""},
        {"TWFu", "Man"},
        {"TWE", "Ma"},
        {"TQ", "M"},
        {"TR", "M"},  // the low bits of "R" are left over and ignored
        {"T", std::nullopt},
        {"TWFuT", std::nullopt},
        {"T=W=F=u", "Man"},
        {"-_-_", "\xFB\xFF\xBF"},
        {"+/+/", std::nullopt},
        {"TW u", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(accounts::decode_base64url(c.text), c.bytes) << c.text;
    }
}

}  // namespace

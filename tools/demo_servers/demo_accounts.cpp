#include "demo_accounts.hpp"

#include <nlohmann/json.hpp>
#include <string_view>
#include <system_error>
#include <vector>

#include "accounts/account_registry.hpp"
#include "platform/file_io.hpp"
#include "settings/settings_write.hpp"
#include "text/path_text.hpp"

namespace demo {
namespace {

using nlohmann::json;

std::string base64url(std::string_view bytes) {
    static constexpr char ALPHABET[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    std::string out;
    unsigned buffer = 0;
    int bits = 0;
    for (const char c : bytes) {
        buffer = (buffer << 8) | static_cast<unsigned char>(c);
        bits += 8;
        while (bits >= 6) {
            bits -= 6;
            out += ALPHABET[(buffer >> bits) & 63];
        }
    }
    if (bits > 0) {
        out += ALPHABET[(buffer << (6 - bits)) & 63];
    }
    return out;
}

struct SampleAccount {
    const char* id;
    accounts::Provider provider;
    const char* email;
    const char* token;
};

constexpr SampleAccount SAMPLES[] = {
    {"claude-1", accounts::Provider::Claude, "ada@example.com", CLAUDE_MODELS_TOKEN},
    {"claude-2", accounts::Provider::Claude, "grace@example.com", CLAUDE_FALLBACK_TOKEN},
    {"codex-1", accounts::Provider::Codex, "linus@example.com", CODEX_TOKEN},
};

// The files the fake tool leaves after a sign-in: the credentials the program reads and, for
// Claude, the account file the tool's "auth status" reports the address from.
std::optional<std::string> write_credentials(const std::filesystem::path& dir, const SampleAccount& sample,
                                             std::int64_t now_ms) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        return "cannot create " + text::path_to_utf8(dir).value_or("?") + ": " + ec.message();
    }
    std::vector<std::pair<std::filesystem::path, std::string>> files;
    if (sample.provider == accounts::Provider::Claude) {
        // A month ahead: the sample never needs a token refresh.
        const std::int64_t expires_at = now_ms + 30LL * 24 * 3600 * 1000;
        files.emplace_back(
            dir / ".credentials.json",
            json{{"claudeAiOauth", {{"accessToken", sample.token}, {"expiresAt", expires_at}}}}.dump(2));
        files.emplace_back(dir / ".claude.json",
                           json{{"oauthAccount", {{"emailAddress", sample.email}}}}.dump(2));
    } else {
        const std::string id_token = base64url(R"({"alg":"none","typ":"JWT"})") + "." +
                                     base64url(json{{"email", sample.email}}.dump()) + ".demo";
        files.emplace_back(
            dir / "auth.json",
            json{{"tokens",
                  {{"id_token", id_token}, {"access_token", sample.token}, {"account_id", "demo-account"}}}}
                .dump(2));
    }
    for (const auto& [path, text] : files) {
        if (platform::write_file_atomic(path, text)) {
            return "cannot write " + text::path_to_utf8(path).value_or("?");
        }
    }
    return std::nullopt;
}

// Why the folder of `settings_path` must not receive a sample, if it must not.
std::optional<std::string> foreign_settings(const std::filesystem::path& settings_path) {
    if (accounts::taken_on_disk(settings_path.parent_path() / SAMPLE_MARKER_NAME)) {
        return std::nullopt;
    }
    for (const auto& held : {settings_path, accounts::account_dir(settings_path, "x").parent_path()}) {
        if (accounts::taken_on_disk(held)) {
            return "refusing to replace " + text::path_to_utf8(held).value_or("?") +
                   ": the stand-ins did not write it (use a fresh APPDATA)";
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> write_sample_accounts(const std::filesystem::path& settings_path,
                                                 std::int64_t unix_milliseconds_now) {
    if (auto refusal = foreign_settings(settings_path)) {
        return refusal;
    }
    std::error_code ec;
    std::filesystem::create_directories(settings_path.parent_path(), ec);
    // The marker first: a sample that fails half-way is still ours to replace next time.
    if (ec ||
        platform::write_file_atomic(settings_path.parent_path() / SAMPLE_MARKER_NAME,
                                    "Written by the stand-ins of scripts/run; replaced at every run.\n")) {
        return "cannot write in " + text::path_to_utf8(settings_path.parent_path()).value_or("?");
    }
    settings::SettingsFile sample;
    sample.pinned = true;
    sample.tray_accounts.emplace();
    for (const SampleAccount& account : SAMPLES) {
        const auto dir = accounts::account_dir(settings_path, account.id);
        if (auto failure = write_credentials(dir, account, unix_milliseconds_now)) {
            return failure;
        }
        sample.accounts.push_back({account.id, account.provider, dir, account.email,
                                   static_cast<std::uint32_t>(sample.accounts.size())});
        sample.tray_accounts->push_back(account.id);
    }
    return settings::write_settings_file(settings_path, sample);
}

}  // namespace demo

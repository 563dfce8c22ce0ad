// Reading "auth.json" of a Codex home directory. Tokens never reach the log.
#include "accounts/codex_credentials.hpp"

#include <algorithm>

#include "platform/file_io.hpp"
#include "strict_json/strict_json.hpp"
#include "text/path_text.hpp"

namespace accounts {
namespace {

std::optional<strict_json::Json> read_auth_file(const std::filesystem::path& dir) {
    const auto name = text::path_from_utf8(CODEX_AUTH_FILE_NAME);
    if (!name) {
        return std::nullopt;
    }
    auto contents = platform::read_file(dir / *name);
    const auto* bytes = std::get_if<std::string>(&contents);
    if (bytes == nullptr) {
        return std::nullopt;
    }
    auto parsed = strict_json::parse(*bytes);
    if (auto* json = std::get_if<strict_json::Json>(&parsed)) {
        return std::move(*json);
    }
    return std::nullopt;
}

// The member of an object, or nothing when the value is not an object or lacks it.
const strict_json::Json* member(const strict_json::Json& object, const char* name) {
    if (!object.is_object()) {
        return nullptr;
    }
    const auto it = object.find(name);
    return it == object.end() ? nullptr : &*it;
}

int sextet(char c) {
    if (c >= 'A' && c <= 'Z') {
        return c - 'A';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 26;
    }
    if (c >= '0' && c <= '9') {
        return c - '0' + 52;
    }
    if (c == '-') {
        return 62;
    }
    if (c == '_') {
        return 63;
    }
    return -1;
}

}  // namespace

std::optional<std::string> decode_base64url(std::string_view text) {
    std::string digits;
    for (const char c : text) {
        if (c != '=') {
            digits += c;
        }
    }
    if (digits.size() % 4 == 1) {
        return std::nullopt;
    }
    std::string out;
    for (std::size_t i = 0; i < digits.size(); i += 4) {
        const std::size_t count = std::min<std::size_t>(4, digits.size() - i);
        unsigned value = 0;
        for (std::size_t j = 0; j < 4; ++j) {
            const int v = j < count ? sextet(digits[i + j]) : 0;
            if (v < 0) {
                return std::nullopt;
            }
            value = value << 6 | static_cast<unsigned>(v);
        }
        // A group of n characters carries n - 1 whole bytes; the bits after them are ignored.
        for (std::size_t k = 0; k + 1 < count; ++k) {
            out += static_cast<char>((value >> (16 - 8 * k)) & 0xFF);
        }
    }
    return out;
}

std::optional<CodexTokenData> load_codex_tokens(const std::filesystem::path& dir) {
    const auto json = read_auth_file(dir);
    if (!json || !json->is_object()) {
        return std::nullopt;
    }
    const auto* tokens = member(*json, "tokens");
    if (tokens == nullptr || !tokens->is_object()) {
        return std::nullopt;
    }
    const auto* access_token = member(*tokens, "access_token");
    if (access_token == nullptr || !access_token->is_string()) {
        return std::nullopt;
    }
    CodexTokenData data;
    data.access_token = access_token->get<std::string>();
    if (const auto* account_id = member(*tokens, "account_id");
        account_id != nullptr && !account_id->is_null()) {
        if (!account_id->is_string()) {
            return std::nullopt;
        }
        data.account_id = account_id->get<std::string>();
    }
    if (data.access_token.empty()) {
        return std::nullopt;
    }
    return data;
}

std::optional<std::string> codex_account_email(const std::filesystem::path& dir) {
    const auto json = read_auth_file(dir);
    if (!json) {
        return std::nullopt;
    }
    const auto* tokens = member(*json, "tokens");
    const auto* id_token = tokens != nullptr ? member(*tokens, "id_token") : nullptr;
    if (id_token == nullptr || !id_token->is_string()) {
        return std::nullopt;
    }
    const auto& token = id_token->get_ref<const std::string&>();
    const auto first_dot = token.find('.');
    if (first_dot == std::string::npos) {
        return std::nullopt;
    }
    const auto second_dot = token.find('.', first_dot + 1);
    const auto payload = decode_base64url(std::string_view(token).substr(
        first_dot + 1, second_dot == std::string::npos ? std::string::npos : second_dot - first_dot - 1));
    if (!payload) {
        return std::nullopt;
    }
    auto claims = strict_json::parse(*payload);
    const auto* parsed = std::get_if<strict_json::Json>(&claims);
    const auto* email = parsed != nullptr ? member(*parsed, "email") : nullptr;
    if (email == nullptr || !email->is_string()) {
        return std::nullopt;
    }
    return email->get<std::string>();
}

}  // namespace accounts

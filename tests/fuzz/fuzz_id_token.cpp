// Feeds arbitrary bytes to the identity-token payload readers: the URL-safe Base64 decoder on the
// bytes as they stand, and the e-mail claim on the bytes as the decoded payload of a token in
// "auth.json". The decoder's output must have the documented length and encode back to what
// decodes the same; the claim must be read whatever padding, signature or separators surround it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "accounts/codex_credentials.hpp"
#include "fuzz_support.hpp"
#include "strict_json/strict_json.hpp"

using fuzz_support::check;

namespace {

bool in_alphabet(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

void check_decoder(std::string_view input) {
    std::string digits;
    bool foreign = false;
    for (const char c : input) {
        if (c != '=') {
            digits += c;
            foreign = foreign || !in_alphabet(c);
        }
    }
    const auto decoded = accounts::decode_base64url(input);
    check(decoded.has_value() == (!foreign && digits.size() % 4 != 1),
          "the decoder's verdict differs from the alphabet and length rules");
    if (!decoded) {
        return;
    }
    check(decoded->size() == digits.size() * 6 / 8, "the decoded length is not what the digits carry");
    check(accounts::decode_base64url(fuzz_support::encode_base64url(*decoded)) == decoded,
          "the decoded bytes do not survive encoding and decoding");
    check(accounts::decode_base64url(digits) == decoded, "padding changed the decoded bytes");
}

// The claim the token carries, read the way the program reads it but without the file and the
// token's framing.
std::optional<std::string> expected_email(std::string_view claims) {
    auto parsed = strict_json::parse(claims);
    const auto* json = std::get_if<strict_json::Json>(&parsed);
    if (json == nullptr || !json->is_object()) {
        return std::nullopt;
    }
    const auto email = json->find("email");
    if (email == json->end() || !email->is_string()) {
        return std::nullopt;
    }
    return email->get<std::string>();
}

void check_email_claim(std::string_view claims) {
    // Padding anywhere in the payload and a missing signature part must not matter.
    std::string payload = fuzz_support::encode_base64url(claims);
    payload.insert(claims.size() % (payload.size() + 1), claims.size() % 3 == 0 ? "==" : "=");
    std::string token = "eyJhbGciOiJub25lIn0." + payload;
    if (claims.size() % 2 == 0) {
        token += ".c2lnbmF0dXJl";
    }
    const auto& dir = fuzz_support::scratch_folder();
    fuzz_support::write_bytes(dir / accounts::CODEX_AUTH_FILE_NAME,
                              R"({"tokens": {"access_token": "a", "id_token": ")" + token + "\"}}");
    check(accounts::codex_account_email(dir) == expected_email(claims),
          "the e-mail read through the file is not the token's claim");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    check_decoder(input);
    check_email_claim(input);
    return 0;
}

// Feeds arbitrary bytes to both readings of the Codex credential file "auth.json": the tokens and
// the e-mail claim of the identity token. Tokens read have a non-empty access token and read
// back the same when written back; an e-mail read back from a token made for it is the same.

#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "accounts/codex_credentials.hpp"
#include "fuzz_support.hpp"

using fuzz_support::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto& dir = fuzz_support::scratch_folder();
    const auto file = dir / accounts::CODEX_AUTH_FILE_NAME;
    fuzz_support::write_bytes(file, input);
    const auto tokens = accounts::load_codex_tokens(dir);
    const auto email = accounts::codex_account_email(dir);

    if (tokens) {
        check(!tokens->access_token.empty(), "tokens with an empty access token");
        nlohmann::json block{{"access_token", tokens->access_token}, {"account_id", nullptr}};
        if (tokens->account_id) {
            block["account_id"] = *tokens->account_id;
        }
        fuzz_support::write_bytes(file, nlohmann::json{{"tokens", block}}.dump());
        check(accounts::load_codex_tokens(dir) == tokens, "the tokens written back read differently");
    }
    if (email) {
        const std::string payload = nlohmann::json{{"email", *email}}.dump();
        const std::string token = "eyJhbGciOiJub25lIn0." + fuzz_support::encode_base64url(payload) + ".";
        fuzz_support::write_bytes(file, nlohmann::json{{"tokens", {{"id_token", token}}}}.dump());
        check(accounts::codex_account_email(dir) == email, "the e-mail written back reads differently");
    }
    return 0;
}

#pragma once
// An HTTP answer as the fetchers read it: status, headers looked up by name, and the body read
// as strict JSON into a document or a typed record.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "strict_json/strict_json.hpp"

namespace poller {

using Json = strict_json::Json;

// Bodies read into memory are capped; a larger one is unusable.
inline constexpr std::size_t MAX_BODY_BYTES = 1024 * 1024;

struct HttpHeader {
    std::string name;
    std::string value;

    bool operator==(const HttpHeader&) const = default;
};
using HttpHeaders = std::vector<HttpHeader>;

// The first value of header `name`, compared case-insensitively.
[[nodiscard]] std::optional<std::string> find_header(const HttpHeaders& headers, std::string_view name);

struct HttpResponse {
    int status = 0;
    HttpHeaders headers;  // of the final answer, in the order received
    std::string body;
    bool body_too_large = false;  // more than MAX_BODY_BYTES arrived; `body` is then empty
    // Why the body did not arrive whole (cut short, or stalled until the deadline); `body` is
    // then empty. Empty when it did.
    std::string body_error = {};

    [[nodiscard]] std::optional<std::string> header(std::string_view name) const {
        return find_header(headers, name);
    }

    // The body as a strict JSON document, or an error text: the read error itself when the body
    // could not be read, else "Failed to read JSON: " and the decoder's message. A repeated key
    // leaves its value unusable (see strict_json::RepeatedKeys) instead of failing the whole body.
    [[nodiscard]] std::variant<Json, std::string> read_json() const;

    // The same, decoded into T with its nlohmann `from_json`; a failing conversion also reads
    // "Failed to read JSON: ..." (its exception stops here).
    template <typename T>
    [[nodiscard]] std::variant<T, std::string> read_json_as() const {
        auto document = read_json();
        if (auto* error = std::get_if<std::string>(&document)) {
            return std::move(*error);
        }
        try {
            return std::get<Json>(document).template get<T>();
        } catch (const nlohmann::json::exception& e) {
            return json_error_text(e.what());
        }
    }

    [[nodiscard]] static std::string json_error_text(std::string_view decoder_message);
};

}  // namespace poller

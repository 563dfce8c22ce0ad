#pragma once
// Strict JSON reading for files and server answers. nlohmann/json on its own accepts a UTF-8
// byte-order mark and lets a repeated key silently win; here both are errors, as is anything
// but white space after the value. Typed accessors check the number kind exactly, since
// nlohmann keeps 1.0 as a float and integers above 2^63-1 as unsigned.

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace strict_json {

using Json = nlohmann::json;

struct ParseError {
    std::string message;     // what rule was broken, in plain words
    std::size_t line = 0;    // 1-based; 0 when the position is unknown
    std::size_t column = 0;  // 1-based, counted in bytes
};

// What a key repeated within one object does: fail the parse (files), or make that key's value
// unusable (server answers, where only the keys a reader asks for matter). The value of such a
// key is then a discarded value, which `is_repeated_key` recognises.
enum class RepeatedKeys { Reject, MarkUnusable };

// Parses one JSON value that must be followed by nothing but white space.
[[nodiscard]] std::variant<Json, ParseError> parse(std::string_view text,
                                                   RepeatedKeys repeated = RepeatedKeys::Reject);

// Whether a member's value stands for a key that the text repeated.
[[nodiscard]] inline bool is_repeated_key(const Json& value) noexcept {
    return value.is_discarded();
}

// Exact integer reads: nothing for a float (even 2.0), a boolean, or a value outside the range.
[[nodiscard]] std::optional<std::int32_t> as_i32(const Json& value);
[[nodiscard]] std::optional<std::uint32_t> as_u32(const Json& value);
[[nodiscard]] std::optional<std::int64_t> as_i64(const Json& value);

// The tag of an enumeration value written as a string ("hybrid-dark") or as an object holding
// that string as its only key with null as its value ({"hybrid-dark": null}).
[[nodiscard]] std::optional<std::string> enum_tag(const Json& value);

}  // namespace strict_json

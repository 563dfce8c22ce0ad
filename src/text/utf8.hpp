#pragma once
// Strict UTF-8 and UTF-16 conversions. Text is UTF-8 inside the program; UTF-16 appears only
// at the Win32 boundary, and a path or variable that is not valid text is refused, not mangled.

#include <optional>
#include <string>
#include <string_view>

namespace text {

// True when `bytes` is well-formed UTF-8 (no overlong forms, no surrogates, nothing past U+10FFFF).
[[nodiscard]] bool is_valid_utf8(std::string_view bytes) noexcept;

// UTF-8 to UTF-16; nothing when the input is not valid UTF-8.
[[nodiscard]] std::optional<std::u16string> utf8_to_utf16(std::string_view utf8);

// UTF-16 to UTF-8; nothing when the input holds an unpaired surrogate.
[[nodiscard]] std::optional<std::string> utf16_to_utf8(std::u16string_view utf16);

}  // namespace text

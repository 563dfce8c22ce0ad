#pragma once
// UTF-8 <-> UTF-16 for the Win32 boundary (wchar_t is 16 bits on Windows).

#include <optional>
#include <string>
#include <string_view>

#include "text/utf8.hpp"

namespace platform {

[[nodiscard]] inline std::optional<std::wstring> to_wide(std::string_view utf8) {
    auto wide = text::utf8_to_utf16(utf8);
    if (!wide) {
        return std::nullopt;
    }
    return std::wstring(wide->begin(), wide->end());
}

[[nodiscard]] inline std::optional<std::string> from_wide(std::wstring_view wide) {
    return text::utf16_to_utf8(std::u16string(wide.begin(), wide.end()));
}

}  // namespace platform

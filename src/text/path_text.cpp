#include "text/path_text.hpp"

#include "text/utf8.hpp"

namespace text {

#ifdef _WIN32
// Windows paths are UTF-16 (wchar_t is 16 bits there).

std::optional<std::filesystem::path> path_from_utf8(std::string_view utf8) {
    const auto wide = utf8_to_utf16(utf8);
    if (!wide) {
        return std::nullopt;
    }
    return std::filesystem::path(std::wstring(wide->begin(), wide->end()));
}

std::optional<std::string> path_to_utf8(const std::filesystem::path& path) {
    const std::wstring& native = path.native();
    return utf16_to_utf8(std::u16string(native.begin(), native.end()));
}

#else
// POSIX paths are bytes; the program treats them as UTF-8.

std::optional<std::filesystem::path> path_from_utf8(std::string_view utf8) {
    return std::filesystem::path(std::string(utf8));
}

std::optional<std::string> path_to_utf8(const std::filesystem::path& path) {
    if (!is_valid_utf8(path.native())) {
        return std::nullopt;
    }
    return path.native();
}

#endif

}  // namespace text

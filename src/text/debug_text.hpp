#pragma once
// Values as log lines show them in debug form: text in double quotes with backslashes, quotes
// and control characters escaped.

#include <filesystem>
#include <string>
#include <string_view>

namespace text {

// "C:\\Users\\a" for C:\Users\a.
[[nodiscard]] std::string debug_quoted(std::string_view text);

// A path in that form; a path that is not valid text shows as "<not valid text>".
[[nodiscard]] std::string debug_path(const std::filesystem::path& path);

}  // namespace text

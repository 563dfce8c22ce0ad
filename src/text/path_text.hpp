#pragma once
// Paths as UTF-8 text and back. On Windows a path is UTF-16 and on POSIX it is bytes; either may
// hold something that is not valid text, which the settings file cannot store.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace text {

// A path from UTF-8 text. Invalid UTF-8 yields nothing (Windows) or the bytes as they are (POSIX).
[[nodiscard]] std::optional<std::filesystem::path> path_from_utf8(std::string_view utf8);

// The path as UTF-8 text; nothing when it is not valid text.
[[nodiscard]] std::optional<std::string> path_to_utf8(const std::filesystem::path& path);

}  // namespace text

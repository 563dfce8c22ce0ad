#pragma once
// Links to folders for the removal tests: a symbolic link on POSIX, a junction on Windows.

#include <filesystem>

namespace test_links {

// A link at `link` to the folder `target`; false when this system cannot make one.
[[nodiscard]] bool make_folder_link(const std::filesystem::path& link, const std::filesystem::path& target);

}  // namespace test_links

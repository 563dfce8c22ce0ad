// Folder links as symbolic links.
#include "folder_link.hpp"

namespace test_links {

bool make_folder_link(const std::filesystem::path& link, const std::filesystem::path& target) {
    std::error_code ec;
    std::filesystem::create_directory_symlink(target, link, ec);
    return !ec;
}

}  // namespace test_links

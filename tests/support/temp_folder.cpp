#include "support/temp_folder.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <random>
#include <sstream>

#include "platform/temp_directory.hpp"
#include "text/path_text.hpp"

namespace test_support {

std::filesystem::path utf8_path(std::string_view utf8) {
    auto path = text::path_from_utf8(utf8);
    if (!path) {
        ADD_FAILURE() << "not valid UTF-8";
        return {};
    }
    return *path;
}

TempFolder::TempFolder(std::string_view name_utf8) {
    static std::atomic<unsigned> counter{0};
    std::random_device entropy;
    const auto unique = std::to_string(entropy()) + "-" + std::to_string(counter.fetch_add(1));
    path_ = platform::temp_directory() / utf8_path(std::string(name_utf8) + "-" + unique);
    std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
    std::error_code ec;
    // Tests may leave read-only entries behind; make them writable before removing.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    }
    std::filesystem::remove_all(path_, ec);
}

std::filesystem::path TempFolder::operator/(std::string_view child_utf8) const {
    return path_ / utf8_path(child_utf8);
}

void write_text(const std::filesystem::path& path, std::string_view contents) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    ASSERT_TRUE(out.good()) << "cannot write " << path.string();
}

std::string read_text(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot read " << path.string();
    std::ostringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

}  // namespace test_support

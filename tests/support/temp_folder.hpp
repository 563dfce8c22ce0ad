#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it afterwards.

#include <filesystem>
#include <string>
#include <string_view>

namespace test_support {

class TempFolder {
public:
    // `name_utf8` becomes part of the folder's name, so tests can put non-ASCII text in paths.
    explicit TempFolder(std::string_view name_utf8 = "gaugelet-test");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const { return path_; }
    [[nodiscard]] std::filesystem::path operator/(std::string_view child_utf8) const;

private:
    std::filesystem::path path_;
};

// A path from UTF-8 text (the narrow path constructor uses the ANSI code page on Windows).
[[nodiscard]] std::filesystem::path utf8_path(std::string_view utf8);

// Whole-file helpers for test setup and checks; they fail the test on an I/O error.
void write_text(const std::filesystem::path& path, std::string_view contents);
[[nodiscard]] std::string read_text(const std::filesystem::path& path);

}  // namespace test_support

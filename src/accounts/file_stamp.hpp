#pragma once
// A file's size and modification time: what tells a kept answer that the file behind it changed.

#include <cstdint>
#include <filesystem>
#include <optional>

namespace accounts {

struct FileStamp {
    std::uintmax_t size = 0;
    std::filesystem::file_time_type modified{};
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// Nothing when the file cannot be examined (it is missing, for one).
[[nodiscard]] std::optional<FileStamp> file_stamp(const std::filesystem::path& path);

}  // namespace accounts

#include "accounts/file_stamp.hpp"

namespace accounts {

std::optional<FileStamp> file_stamp(const std::filesystem::path& path) {
    std::error_code ec;
    FileStamp stamp;
    stamp.size = std::filesystem::file_size(path, ec);
    if (ec) {
        return std::nullopt;
    }
    stamp.modified = std::filesystem::last_write_time(path, ec);
    if (ec) {
        return std::nullopt;
    }
    return stamp;
}

}  // namespace accounts

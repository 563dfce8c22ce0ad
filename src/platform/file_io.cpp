// The portable half of the file seam: directory creation and existence through std::filesystem.
#include <system_error>

#include "platform/file_io.hpp"

namespace platform {
namespace {

IoError from_error_code(const std::error_code& ec) {
    return IoError{static_cast<std::uint32_t>(ec.value()), ec.message()};
}

}  // namespace

std::optional<IoError> create_directories(const std::filesystem::path& path) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    if (ec) {
        return from_error_code(ec);
    }
    return std::nullopt;
}

bool path_exists(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

}  // namespace platform

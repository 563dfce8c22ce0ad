// The temporary folder from TMPDIR, else /tmp.
#include <cstdlib>

#include "platform/temp_directory.hpp"

namespace platform {

std::filesystem::path temp_directory() {
    const char* dir = std::getenv("TMPDIR");
    if (dir != nullptr && *dir != '\0') {
        return std::filesystem::path(dir);
    }
    return std::filesystem::path("/tmp");
}

}  // namespace platform

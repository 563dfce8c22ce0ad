// POSIX errno values and their system texts.
#include <cerrno>
#include <cstring>

#include "platform/io_error.hpp"

namespace platform {

IoError os_error(std::uint32_t code) {
    char buffer[256] = {};
    // GNU strerror_r returns the text, which may or may not be the buffer.
    const char* text = strerror_r(static_cast<int>(code), buffer, sizeof buffer);
    return IoError{code, text != nullptr ? std::string(text) : std::string("Unknown error")};
}

IoError last_os_error() { return os_error(static_cast<std::uint32_t>(errno)); }

}  // namespace platform

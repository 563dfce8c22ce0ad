#pragma once
// An operating-system error: its code and the system's own words for it.

#include <cstdint>
#include <string>

namespace platform {

struct IoError {
    std::uint32_t code = 0;
    std::string message;
};

// "The system cannot find the file specified. (os error 2)"
[[nodiscard]] std::string display(const IoError& error);

// The calling thread's last error (GetLastError on Windows, errno on POSIX).
[[nodiscard]] IoError last_os_error();

// The error for a given system code.
[[nodiscard]] IoError os_error(std::uint32_t code);

}  // namespace platform

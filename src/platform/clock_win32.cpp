// Precise system time on Windows.
#include "platform/clock.hpp"
#include "platform/windows_win32.hpp"

namespace platform {

FileTime precise_now() noexcept {
    FILETIME ft{};
    GetSystemTimePreciseAsFileTime(&ft);
    return (static_cast<FileTime>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

}  // namespace platform

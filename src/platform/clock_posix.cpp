// Precise system time on POSIX, converted to a Windows file time.
#include <ctime>

#include "platform/clock.hpp"

namespace platform {

FileTime precise_now() noexcept {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    if (ts.tv_sec < 0) {
        return FILETIME_UNIX_EPOCH;
    }
    return FILETIME_UNIX_EPOCH + static_cast<FileTime>(ts.tv_sec) * FILETIME_TICKS_PER_SECOND +
           static_cast<FileTime>(ts.tv_nsec) / 100;
}

}  // namespace platform

// Local wall-clock time through the Windows time-zone rules.
#include "platform/time_zone.hpp"
#include "platform/windows_win32.hpp"

namespace platform {

std::optional<LocalTime> to_local_time(FileTime utc) noexcept {
    FILETIME ft{};
    ft.dwLowDateTime = static_cast<DWORD>(utc & 0xFFFFFFFFULL);
    ft.dwHighDateTime = static_cast<DWORD>(utc >> 32);
    SYSTEMTIME universal{};
    SYSTEMTIME local{};
    if (!FileTimeToSystemTime(&ft, &universal) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local)) {
        return std::nullopt;
    }
    return LocalTime{local.wYear, local.wMonth,  local.wDay,   local.wDayOfWeek,
                     local.wHour, local.wMinute, local.wSecond};
}

}  // namespace platform

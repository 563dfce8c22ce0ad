// The temporary folder through GetTempPath2W (Windows 11 and later updates of 10) or GetTempPathW.
#include "platform/temp_directory.hpp"
#include "platform/windows_win32.hpp"

namespace platform {
namespace {

using GetTempPath2Fn = DWORD(WINAPI*)(DWORD, LPWSTR);

GetTempPath2Fn find_get_temp_path2() {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    if (kernel == nullptr) {
        return nullptr;
    }
    // Cast through a generic function pointer: GetProcAddress's own type does not match.
    return reinterpret_cast<GetTempPath2Fn>(
        reinterpret_cast<void (*)()>(GetProcAddress(kernel, "GetTempPath2W")));
}

}  // namespace

std::filesystem::path temp_directory() {
    static const GetTempPath2Fn get_temp_path2 = find_get_temp_path2();
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD length = get_temp_path2 != nullptr ? get_temp_path2(MAX_PATH + 1, buffer)
                                                   : GetTempPathW(MAX_PATH + 1, buffer);
    if (length == 0 || length > MAX_PATH) {
        return std::filesystem::path(L".");
    }
    return std::filesystem::path(std::wstring(buffer, length));
}

}  // namespace platform

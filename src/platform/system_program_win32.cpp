// System programs by their full path in the system folder.
#include "platform/system_program.hpp"
#include "platform/wide_win32.hpp"
#include "platform/windows_win32.hpp"

namespace platform {

std::string system_program(std::string_view name) {
    wchar_t folder[MAX_PATH + 1];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH) {
        return {};
    }
    const auto text = from_wide(std::wstring_view(folder, length));
    if (!text) {
        return {};
    }
    std::string path = *text;
    if (!path.empty() && path.back() != '\\') {
        path += '\\';
    }
    return path + std::string(name);
}

}  // namespace platform

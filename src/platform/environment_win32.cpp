// Environment variables through the wide Win32 calls.
#include <vector>

#include "platform/environment.hpp"
#include "platform/wide_win32.hpp"
#include "platform/windows_win32.hpp"

namespace platform {

std::optional<std::string> get_env(std::string_view name) {
    const auto wide_name = to_wide(name);
    if (!wide_name) {
        return std::nullopt;
    }
    std::vector<wchar_t> buffer(256);
    for (;;) {
        SetLastError(ERROR_SUCCESS);
        const DWORD length = GetEnvironmentVariableW(wide_name->c_str(), buffer.data(),
                                                     static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
                return std::nullopt;
            }
            return std::string();
        }
        if (length < buffer.size()) {
            return from_wide(std::wstring_view(buffer.data(), length));
        }
        buffer.resize(length);  // length includes the terminator when the buffer was too small
    }
}

bool set_env(std::string_view name, const std::optional<std::string>& value) {
    const auto wide_name = to_wide(name);
    if (!wide_name) {
        return false;
    }
    if (!value) {
        return SetEnvironmentVariableW(wide_name->c_str(), nullptr) != 0 ||
               GetLastError() == ERROR_ENVVAR_NOT_FOUND;
    }
    const auto wide_value = to_wide(*value);
    return wide_value && SetEnvironmentVariableW(wide_name->c_str(), wide_value->c_str()) != 0;
}

}  // namespace platform

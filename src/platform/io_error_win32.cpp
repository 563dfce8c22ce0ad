// Windows error codes and their system texts.
#include "platform/io_error.hpp"
#include "platform/wide_win32.hpp"
#include "platform/windows_win32.hpp"

namespace platform {

IoError os_error(std::uint32_t code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string message;
    if (length > 0 && buffer != nullptr) {
        std::wstring_view text(buffer, length);
        while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
            text.remove_suffix(1);
        }
        message = from_wide(text).value_or("");
    }
    if (buffer != nullptr) {
        LocalFree(buffer);
    }
    if (message.empty()) {
        message = "Unknown error";
    }
    return IoError{code, std::move(message)};
}

IoError last_os_error() { return os_error(GetLastError()); }

}  // namespace platform

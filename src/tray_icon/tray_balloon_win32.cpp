#include "tray_icon/tray_balloon_win32.hpp"

#include <shellapi.h>

#include <algorithm>
#include <cwchar>

namespace tray_icon {
namespace {

// Copies as much of `text` as the fixed field holds, always terminated.
template <std::size_t N>
void copy_into(wchar_t (&field)[N], const std::wstring& text) noexcept {
    const std::size_t length = std::min(text.size(), N - 1);
    std::wmemcpy(field, text.data(), length);
    field[length] = L'\0';
}

}  // namespace

bool show_balloon(HWND window, std::uint32_t uid, const std::wstring& title,
                  const std::wstring& text) noexcept {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = window;
    data.uID = uid;
    data.uFlags = NIF_INFO;
    data.dwInfoFlags = NIIF_INFO | NIIF_RESPECT_QUIET_TIME;
    copy_into(data.szInfoTitle, title);
    copy_into(data.szInfo, text);
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

}  // namespace tray_icon

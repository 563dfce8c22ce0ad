// Balloon notices through Shell_NotifyIconW; the shell shows them, so nothing here takes focus.
#include "tray_icon/tray_balloon_win32.hpp"

#include <algorithm>

// clang-format off
#include "platform/windows_win32.hpp"  // first: the shell header needs its definitions
#include <shellapi.h>
// clang-format on

namespace tray_icon {
namespace {

// Copies what fits with the terminator, never half of a surrogate pair.
template <std::size_t N>
void copy_cut(const std::wstring& text, wchar_t (&field)[N]) noexcept {
    std::size_t units = std::min(text.size(), N - 1);
    if (units > 0 && units < text.size() && text[units - 1] >= 0xD800 && text[units - 1] <= 0xDBFF) {
        --units;
    }
    std::copy_n(text.data(), units, field);
    field[units] = L'\0';
}

}  // namespace

bool show_balloon(HWND window, std::uint32_t uid, const std::wstring& title,
                  const std::wstring& text) noexcept {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = window;
    data.uID = uid;
    data.uFlags = NIF_INFO;
    // Windows' quiet hours and focus assist decide whether it shows.
    data.dwInfoFlags = NIIF_INFO | NIIF_RESPECT_QUIET_TIME;
    copy_cut(title, data.szInfoTitle);
    copy_cut(text, data.szInfo);
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

}  // namespace tray_icon

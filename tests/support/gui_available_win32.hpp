#pragma once
// Whether this process can reach a window system. Under Wine that needs an X display; a test that
// draws, makes icons or windows skips (never fails) without one.

#include <cstdlib>

#include "platform/windows_win32.hpp"

namespace test_support {

inline bool running_under_wine() noexcept {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

inline bool gui_available() noexcept {
    if (!running_under_wine()) {
        return true;
    }
    const char* display = std::getenv("DISPLAY");
    return display != nullptr && *display != '\0';
}

}  // namespace test_support

#define GAUGELET_SKIP_WITHOUT_GUI()                                         \
    do {                                                                    \
        if (!test_support::gui_available()) {                               \
            GTEST_SKIP() << "no window system here (Wine without DISPLAY)"; \
        }                                                                   \
    } while (false)

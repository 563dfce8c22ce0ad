// What the main window's idle timer ticks cost: the hot-corner check with the pointer elsewhere
// and a countdown tick whose texts did not change, each run 1000 times through the real window
// procedure with a counting allocator. Neither may allocate (and so neither draws). Exit 1 when
// one did.
#include <cstdio>

#include "counting_allocator.hpp"
#include "platform/clock.hpp"
#include "platform/windows_win32.hpp"
#include "state/app_state.hpp"
#include "window/panel_visibility_win32.hpp"
#include "window/window_messages.hpp"
#include "window/window_procedure_win32.hpp"

namespace {

std::vector<poller::UsageSnapshot> ten_readings() {
    const platform::FileTime day = 86400ULL * platform::FILETIME_TICKS_PER_SECOND;
    const platform::FileTime now = platform::precise_now();
    std::vector<poller::UsageSnapshot> usage;
    for (int i = 1; i <= 10; ++i) {
        poller::UsageData data;
        data.five_hour = {37.0, now + day / 5};
        data.seven_day = {62.5, now + 3 * day};
        usage.push_back({"claude-" + std::to_string(i), "c@example.com", data, accounts::Provider::Claude});
    }
    return usage;
}

}  // namespace

int main() {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof(window_class);
    window_class.lpfnWndProc = window::window_procedure;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"QuotavaneIdleCost";
    RegisterClassExW(&window_class);
    HWND hwnd = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"QuotavaneIdleCost",
                                L"Gaugelet", WS_POPUP, 0, 0, 322, 46, nullptr, nullptr,
                                window_class.hInstance, nullptr);
    if (hwnd == nullptr) {
        std::printf("no display: skipped\n");
        return 0;
    }
    state::AppState app;
    app.hwnd = reinterpret_cast<state::WindowHandle>(hwnd);
    app.panel_on_corner_hover = true;
    app.has_polled = true;
    app.usage = ten_readings();
    state::app_state().install(app);
    SetCursorPos(700, 500);  // far from every corner

    // Warm-up: the first countdown tick notes the texts it drew.
    window::on_corner_hover_timer(hwnd);
    SendMessageW(hwnd, WM_TIMER, window::TIMER_COUNTDOWN, 0);

    std::int64_t corner = 0;
    std::int64_t countdown = 0;
    {
        counting::Scope counted;
        std::int64_t before = counting::allocations.load();
        for (int tick = 0; tick < 1000; ++tick) {
            window::on_corner_hover_timer(hwnd);
        }
        corner = counting::allocations.load() - before;
        before = counting::allocations.load();
        for (int tick = 0; tick < 1000; ++tick) {
            SendMessageW(hwnd, WM_TIMER, window::TIMER_COUNTDOWN, 0);
        }
        countdown = counting::allocations.load() - before;
    }
    std::printf("allocations in 1000 hot-corner checks with the pointer elsewhere: %lld\n",
                static_cast<long long>(corner));
    std::printf("allocations in 1000 countdown ticks whose texts did not change: %lld\n",
                static_cast<long long>(countdown));
    DestroyWindow(hwnd);
    return corner == 0 && countdown == 0 ? 0 : 1;
}

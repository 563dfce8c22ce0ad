#include <gtest/gtest.h>

#include "panel/display_system_win32.hpp"
#include "panel/layout.hpp"
#include "panel/panel_position_win32.hpp"
#include "state/app_state.hpp"
#include "state/dpi.hpp"
#include "support/gui_available_win32.hpp"

namespace {

// A layered popup like the panel, destroyed with the test.
class PanelWindow {
  public:
    PanelWindow() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"GaugeletPlacementTest";
        RegisterClassW(&wc);
        hwnd_ = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP, 0, 0, 10,
                                10, nullptr, nullptr, wc.hInstance, nullptr);
    }
    ~PanelWindow() {
        if (hwnd_ != nullptr) {
            DestroyWindow(hwnd_);
        }
    }
    PanelWindow(const PanelWindow&) = delete;
    PanelWindow& operator=(const PanelWindow&) = delete;
    [[nodiscard]] HWND get() const { return hwnd_; }

  private:
    HWND hwnd_ = nullptr;
};

TEST(WindowsDisplaySystem, ReadsTheRealMonitor) {
    GAUGELET_SKIP_WITHOUT_GUI();
    panel::DisplaySystem& displays = panel::windows_display_system();
    const panel::MonitorHandle monitor = displays.monitor_from_point(panel::Point{5, 5});
    ASSERT_NE(monitor, 0u);
    const auto info = displays.monitor_info(monitor);
    ASSERT_TRUE(info);
    EXPECT_TRUE(info->monitor.contains(5, 5));
    EXPECT_GT(info->work.width(), 0);
    EXPECT_LE(info->work.height(), info->monitor.height());
    const auto dpi = displays.dpi_for_monitor(monitor);
    ASSERT_TRUE(dpi);
    EXPECT_GE(*dpi, 96u);
    EXPECT_FALSE(displays.monitor_info(0));
    EXPECT_EQ(displays.dpi_for_window(0), 0u);
    if (const HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr)) {
        const auto bar = displays.taskbar(reinterpret_cast<state::WindowHandle>(taskbar));
        ASSERT_TRUE(bar);
        EXPECT_GE(bar->rect.width(), 0);
    }
}

TEST(PositionPanel, MovesTheWindowIntoTheHotCornerTopmost) {
    GAUGELET_SKIP_WITHOUT_GUI();
    const PanelWindow window;
    ASSERT_NE(window.get(), nullptr);
    state::AppState s;
    s.hwnd = reinterpret_cast<state::WindowHandle>(window.get());
    s.anchor = state::PanelAnchor::Corner;
    s.hot_corner = settings::TrayCorner::BottomRight;
    state::app_state().install(s);

    panel::position_panel();

    const std::uint32_t dpi = state::system_dpi().load();
    const panel::Size size = panel::panel_size(settings::PanelLayout::Columns, {}, dpi);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(window.get(), MONITOR_DEFAULTTONEAREST), &info));
    const std::int32_t margin = state::scale_dip(8, dpi);
    RECT placed{};
    ASSERT_TRUE(GetWindowRect(window.get(), &placed));
    EXPECT_EQ(placed.left, info.rcWork.right - size.width - margin);
    EXPECT_EQ(placed.top, info.rcWork.bottom - size.height - margin);
    EXPECT_EQ(placed.right - placed.left, size.width);
    EXPECT_EQ(placed.bottom - placed.top, size.height);
    EXPECT_NE(GetWindowLongPtrW(window.get(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
}

TEST(CursorInHotCorner, FollowsTheRealCursor) {
    GAUGELET_SKIP_WITHOUT_GUI();
    state::AppState s;
    s.hot_corner = settings::TrayCorner::TopLeft;
    state::app_state().install(s);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTONEAREST), &info));
    const LONG left = info.rcMonitor.left;
    const LONG top = info.rcMonitor.top;
    ASSERT_TRUE(SetCursorPos(left + 1, top + 1));
    EXPECT_TRUE(panel::cursor_in_hot_corner());
    ASSERT_TRUE(SetCursorPos(left + 300, top + 300));
    EXPECT_FALSE(panel::cursor_in_hot_corner());
}

}  // namespace

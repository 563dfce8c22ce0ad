// Monitors, DPI, cursor, taskbar and the panel's move through user32, shcore and shell32.

#include "panel/display_system_win32.hpp"

// clang-format off
#include "platform/windows_win32.hpp"  // first: the shell headers need its definitions
#include <shellapi.h>
#include <shellscalingapi.h>
// clang-format on

namespace panel {
namespace {

HWND to_hwnd(state::WindowHandle window) noexcept {
    return reinterpret_cast<HWND>(window);
}

state::Rect to_rect(const RECT& r) noexcept {
    return state::Rect{r.left, r.top, r.right, r.bottom};
}

class WindowsDisplaySystem final : public DisplaySystem {
  public:
    MonitorHandle monitor_from_window(state::WindowHandle window) noexcept override {
        return reinterpret_cast<MonitorHandle>(MonitorFromWindow(to_hwnd(window), MONITOR_DEFAULTTONEAREST));
    }

    MonitorHandle monitor_from_point(Point point) noexcept override {
        return reinterpret_cast<MonitorHandle>(
            MonitorFromPoint(POINT{point.x, point.y}, MONITOR_DEFAULTTONEAREST));
    }

    MonitorHandle primary_monitor() noexcept override {
        // The primary monitor is the one holding the origin of the virtual screen.
        return reinterpret_cast<MonitorHandle>(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY));
    }

    std::optional<MonitorInfo> monitor_info(MonitorHandle monitor) noexcept override {
        MONITORINFO info{};
        info.cbSize = sizeof info;
        if (monitor == 0 || !GetMonitorInfoW(reinterpret_cast<HMONITOR>(monitor), &info)) {
            return std::nullopt;
        }
        return MonitorInfo{to_rect(info.rcMonitor), to_rect(info.rcWork)};
    }

    std::optional<std::uint32_t> dpi_for_monitor(MonitorHandle monitor) noexcept override {
        UINT x = 0;
        UINT y = 0;
        if (monitor == 0 ||
            FAILED(GetDpiForMonitor(reinterpret_cast<HMONITOR>(monitor), MDT_EFFECTIVE_DPI, &x, &y))) {
            return std::nullopt;
        }
        return x;
    }

    std::uint32_t dpi_for_window(state::WindowHandle window) noexcept override {
        return window != 0 ? GetDpiForWindow(to_hwnd(window)) : 0;
    }

    std::optional<Point> cursor_position() noexcept override {
        POINT p{};
        if (!GetCursorPos(&p)) {
            return std::nullopt;
        }
        return Point{p.x, p.y};
    }

    std::optional<Taskbar> taskbar(state::WindowHandle taskbar) noexcept override {
        APPBARDATA data{};
        data.cbSize = sizeof data;
        data.hWnd = to_hwnd(taskbar);
        if (SHAppBarMessage(ABM_GETTASKBARPOS, &data) == 0) {
            return std::nullopt;
        }
        Taskbar out;
        out.rect = to_rect(data.rc);
        switch (data.uEdge) {
            case ABE_LEFT:
                out.edge = TaskbarEdge::Left;
                break;
            case ABE_TOP:
                out.edge = TaskbarEdge::Top;
                break;
            case ABE_RIGHT:
                out.edge = TaskbarEdge::Right;
                break;
            default:
                out.edge = TaskbarEdge::Bottom;
                break;
        }
        APPBARDATA state{};
        state.cbSize = sizeof state;
        state.hWnd = to_hwnd(taskbar);
        out.auto_hide = (SHAppBarMessage(ABM_GETSTATE, &state) & ABS_AUTOHIDE) != 0;
        return out;
    }

    bool move_topmost(state::WindowHandle window, std::int32_t x, std::int32_t y, std::int32_t width,
                      std::int32_t height) noexcept override {
        return SetWindowPos(to_hwnd(window), HWND_TOPMOST, x, y, width, height, SWP_NOACTIVATE) != FALSE;
    }
};

}  // namespace

DisplaySystem& windows_display_system() noexcept {
    static WindowsDisplaySystem system;
    return system;
}

}  // namespace panel

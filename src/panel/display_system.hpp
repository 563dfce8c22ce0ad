#pragma once
// The window-system calls that placing and showing the panel make: monitors, their DPI, the
// cursor, the taskbar and the move. Placement and visibility decide over this interface, so the
// choice of monitor, edge and DPI is tested with made-up monitors; the Windows implementation only
// forwards the calls.

#include <cstdint>
#include <optional>

#include "panel/position.hpp"
#include "state/app_state.hpp"
#include "state/rect.hpp"

namespace panel {

// A monitor as the window system names it; 0 is none.
using MonitorHandle = std::uintptr_t;

struct MonitorInfo {
    state::Rect monitor;  // the whole monitor
    state::Rect work;     // without the taskbar and docked bars
};

using Point = state::Point;

struct Taskbar {
    state::Rect rect;  // where the shell says it is (for an auto-hidden one, where it shows)
    TaskbarEdge edge = TaskbarEdge::Bottom;
    bool auto_hide = false;
};

class DisplaySystem {
  public:
    virtual ~DisplaySystem() = default;

    // The monitor nearest to the window or point; 0 when the call fails.
    [[nodiscard]] virtual MonitorHandle monitor_from_window(state::WindowHandle window) noexcept = 0;
    [[nodiscard]] virtual MonitorHandle monitor_from_point(Point point) noexcept = 0;
    // The primary monitor; 0 when the call fails.
    [[nodiscard]] virtual MonitorHandle primary_monitor() noexcept = 0;
    [[nodiscard]] virtual std::optional<MonitorInfo> monitor_info(MonitorHandle monitor) noexcept = 0;
    // The monitor's effective DPI; nothing (or 0) when it cannot be read.
    [[nodiscard]] virtual std::optional<std::uint32_t> dpi_for_monitor(MonitorHandle monitor) noexcept = 0;
    // The window's DPI; 0 when it cannot be read.
    [[nodiscard]] virtual std::uint32_t dpi_for_window(state::WindowHandle window) noexcept = 0;
    [[nodiscard]] virtual std::optional<Point> cursor_position() noexcept = 0;
    // The taskbar's rectangle, edge and auto-hide state as the shell reports them for that taskbar
    // window; nothing when the shell does not answer.
    [[nodiscard]] virtual std::optional<Taskbar> taskbar(state::WindowHandle taskbar) noexcept = 0;
    // Moves and sizes the window, topmost, without activating it; false when that failed.
    virtual bool move_topmost(state::WindowHandle window, std::int32_t x, std::int32_t y, std::int32_t width,
                              std::int32_t height) noexcept = 0;
};

}  // namespace panel

#pragma once
// The window-system calls that placing the panel makes: monitors, their DPI, the cursor, the
// taskbar and the move. Placement decides over this interface, so the choice of monitor and DPI
// is tested with made-up monitors; the Windows implementation only forwards the calls.

#include <cstdint>
#include <optional>

#include "state/app_state.hpp"
#include "state/rect.hpp"

namespace panel {

// A monitor as the window system names it; 0 is none.
using MonitorHandle = std::uintptr_t;

struct MonitorInfo {
    state::Rect monitor;  // the whole monitor
    state::Rect work;     // without the taskbar and docked bars
};

struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

class DisplaySystem {
  public:
    virtual ~DisplaySystem() = default;

    // The monitor nearest to the window or point; 0 when the call fails.
    [[nodiscard]] virtual MonitorHandle monitor_from_window(state::WindowHandle window) noexcept = 0;
    [[nodiscard]] virtual MonitorHandle monitor_from_point(Point point) noexcept = 0;
    [[nodiscard]] virtual std::optional<MonitorInfo> monitor_info(MonitorHandle monitor) noexcept = 0;
    // The monitor's effective DPI; nothing (or 0) when it cannot be read.
    [[nodiscard]] virtual std::optional<std::uint32_t> dpi_for_monitor(MonitorHandle monitor) noexcept = 0;
    // The window's DPI; 0 when it cannot be read.
    [[nodiscard]] virtual std::uint32_t dpi_for_window(state::WindowHandle window) noexcept = 0;
    [[nodiscard]] virtual std::optional<Point> cursor_position() noexcept = 0;
    // The taskbar's rectangle as the shell reports it for that taskbar window.
    [[nodiscard]] virtual std::optional<state::Rect> taskbar_rect(state::WindowHandle taskbar) noexcept = 0;
    // Moves and sizes the window, topmost, without activating it; false when that failed.
    virtual bool move_topmost(state::WindowHandle window, std::int32_t x, std::int32_t y, std::int32_t width,
                              std::int32_t height) noexcept = 0;
};

}  // namespace panel

#include "panel/placement.hpp"

#include <fmt/format.h>

#include "diagnostics/log.hpp"
#include "panel/position.hpp"

namespace panel {
namespace {

std::optional<state::Rect> work_area_of(DisplaySystem& displays, MonitorHandle monitor) {
    if (monitor == 0) {
        return std::nullopt;
    }
    const std::optional<MonitorInfo> info = displays.monitor_info(monitor);
    if (!info) {
        return std::nullopt;
    }
    return info->work;
}

std::string describe(const std::optional<state::Rect>& work) {
    if (!work) {
        return "None";
    }
    return fmt::format("Some(({}, {}, {}, {}))", work->left, work->top, work->right, work->bottom);
}

// The monitor whose DPI the panel takes: for a corner-opened panel the one the corner fired on,
// for a tray-opened one the taskbar's; otherwise the panel's own.
MonitorHandle monitor_for_dpi(const PlacementInput& input, DisplaySystem& displays) {
    if (input.anchor == state::PanelAnchor::Corner) {
        if (input.corner_monitor) {
            const auto [x, y] = centre_of(*input.corner_monitor);
            return displays.monitor_from_point(Point{x, y});
        }
        return displays.monitor_from_window(input.hwnd);
    }
    if (input.taskbar) {
        return displays.monitor_from_window(*input.taskbar);
    }
    return displays.monitor_from_window(input.hwnd);
}

}  // namespace

PanelPlacement plan_placement(const PlacementInput& input, std::uint32_t dpi, DisplaySystem& displays,
                              const PanelSizeAt& size_at) {
    const MonitorHandle monitor = monitor_for_dpi(input, displays);
    if (monitor != 0) {
        const std::optional<std::uint32_t> monitor_dpi = displays.dpi_for_monitor(monitor);
        if (monitor_dpi && *monitor_dpi != 0) {
            dpi = *monitor_dpi;
        }
    }
    const Size size = size_at(dpi);

    PanelPlacement out;
    out.dpi = dpi;
    out.width = size.width;
    if (input.anchor == state::PanelAnchor::Tray) {
        std::optional<state::Rect> work;
        if (input.taskbar) {
            work = work_area_of(displays, displays.monitor_from_window(*input.taskbar));
        }
        if (!work) {
            work = work_area_of(displays, displays.monitor_from_window(input.hwnd));
        }
        const Placement p = tray_position(work, size.width, size.height);
        out.x = p.x;
        out.y = p.y;
        out.height = p.height;
        out.work = work;
        out.log_line = fmt::format("position_panel TRAY taskbar={} work={} -> x={} y={} w={} h={}",
                                   input.taskbar ? "true" : "false", describe(work), out.x, out.y, out.width,
                                   out.height);
        return out;
    }
    std::optional<state::Rect> work = input.corner_monitor;
    if (!work) {
        work = work_area_of(displays, displays.monitor_from_window(input.hwnd));
    }
    const Placement p = corner_position(work, input.hot_corner, size.width, size.height, dpi);
    out.x = p.x;
    out.y = p.y;
    out.height = p.height;
    out.work = work;
    out.log_line =
        fmt::format("position_panel CORNER corner={} work={} -> x={} y={} w={} h={}",
                    corner_name(input.hot_corner), describe(work), out.x, out.y, out.width, out.height);
    return out;
}

std::optional<PanelPlacement> position_panel(DisplaySystem& displays, state::StateSlot& slot,
                                             std::atomic<std::uint32_t>& system_dpi,
                                             const PanelSizeAt& size_at) {
    PlacementInput input;
    {
        const auto guard = slot.lock();
        if (!guard) {
            return std::nullopt;
        }
        input.hwnd = guard->hwnd;
        input.taskbar = guard->taskbar;
        input.corner_monitor = guard->corner_monitor;
        input.anchor = guard->anchor;
        input.hot_corner = guard->hot_corner;
    }
    if (const std::uint32_t window_dpi = displays.dpi_for_window(input.hwnd); window_dpi != 0) {
        system_dpi.store(window_dpi);
    }
    PanelPlacement placement = plan_placement(input, system_dpi.load(), displays, size_at);
    system_dpi.store(placement.dpi);
    if (diagnostics::log_enabled()) {
        diagnostics::log_line(placement.log_line);
    }
    // A failed move leaves the panel where it was; the next placement tries again.
    (void)displays.move_topmost(input.hwnd, placement.x, placement.y, placement.width, placement.height);
    return placement;
}

bool cursor_in_hot_corner(DisplaySystem& displays, state::StateSlot& slot, std::uint32_t dpi) {
    const std::optional<Point> cursor = displays.cursor_position();
    if (!cursor) {
        return false;
    }
    const MonitorHandle monitor = displays.monitor_from_point(*cursor);
    if (monitor == 0) {
        return false;
    }
    const std::optional<MonitorInfo> info = displays.monitor_info(monitor);
    if (!info) {
        return false;
    }
    settings::TrayCorner corner = settings::TrayCorner::TopLeft;
    {
        const auto guard = slot.lock();
        if (guard) {
            corner = guard->hot_corner;
        }
    }
    return in_hot_corner(info->monitor, corner, cursor->x, cursor->y, dpi);
}

}  // namespace panel

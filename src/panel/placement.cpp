#include "panel/placement.hpp"

#include <fmt/format.h>

#include <algorithm>

#include "diagnostics/log.hpp"
#include "panel/position.hpp"
#include "state/dpi.hpp"

namespace panel {
namespace {

std::string describe(const std::optional<state::Rect>& work) {
    if (!work) {
        return "None";
    }
    return fmt::format("Some(({}, {}, {}, {}))", work->left, work->top, work->right, work->bottom);
}

std::string_view edge_name(TaskbarEdge edge) {
    switch (edge) {
        case TaskbarEdge::Left:
            return "Left";
        case TaskbarEdge::Top:
            return "Top";
        case TaskbarEdge::Right:
            return "Right";
        case TaskbarEdge::Bottom:
        default:
            return "Bottom";
    }
}

// The monitor a placement uses: its handle (0: none) and what could be read of it.
struct Target {
    MonitorHandle monitor = 0;
    std::optional<state::Rect> work;
    TaskbarEdge edge = TaskbarEdge::Bottom;
};

Target target_of(DisplaySystem& displays, MonitorHandle monitor) {
    Target target;
    if (monitor == 0) {
        return target;
    }
    if (const std::optional<MonitorInfo> info = displays.monitor_info(monitor)) {
        target.monitor = monitor;
        target.work = info->work;
    }
    return target;
}

// An auto-hidden taskbar leaves the work area whole, and covers its edge when it slides in: the
// panel keeps clear of the strip it shows in.
state::Rect clear_of_auto_hidden(const state::Rect& work, const state::Rect& monitor, const Taskbar& bar) {
    if (!bar.auto_hide) {
        return work;
    }
    const bool across = bar.edge == TaskbarEdge::Top || bar.edge == TaskbarEdge::Bottom;
    const std::int32_t extent = across ? monitor.height() : monitor.width();
    const std::int32_t thickness =
        std::clamp(across ? bar.rect.height() : bar.rect.width(), 0, std::max(extent / 2, 0));
    state::Rect out = work;
    switch (bar.edge) {
        case TaskbarEdge::Left:
            out.left = std::max(work.left, monitor.left + thickness);
            break;
        case TaskbarEdge::Top:
            out.top = std::max(work.top, monitor.top + thickness);
            break;
        case TaskbarEdge::Right:
            out.right = std::min(work.right, monitor.right - thickness);
            break;
        case TaskbarEdge::Bottom:
        default:
            out.bottom = std::min(work.bottom, monitor.bottom - thickness);
            break;
    }
    return out;
}

// A tray-opened panel: the taskbar's monitor and edge, else the panel's own monitor.
Target tray_target(const PlacementInput& input, DisplaySystem& displays) {
    if (input.taskbar) {
        const MonitorHandle monitor = displays.monitor_from_window(*input.taskbar);
        const std::optional<MonitorInfo> info = monitor != 0 ? displays.monitor_info(monitor) : std::nullopt;
        if (info) {
            Target target{monitor, info->work, TaskbarEdge::Bottom};
            if (const std::optional<Taskbar> bar = displays.taskbar(*input.taskbar)) {
                target.edge = bar->edge;
                target.work = clear_of_auto_hidden(info->work, info->monitor, *bar);
            }
            return target;
        }
    }
    return target_of(displays, displays.monitor_from_window(input.hwnd));
}

// A corner-opened panel: the monitor the corner fired on, read again now. When that monitor is
// gone or its work area changed, the primary monitor's corner instead.
Target corner_target(const PlacementInput& input, DisplaySystem& displays, PanelPlacement& out) {
    if (!input.corner_monitor) {
        return target_of(displays, displays.monitor_from_window(input.hwnd));
    }
    const auto [x, y] = centre_of(*input.corner_monitor);
    Target target = target_of(displays, displays.monitor_from_point(Point{x, y}));
    if (target.work == input.corner_monitor) {
        return target;
    }
    target = target_of(displays, displays.primary_monitor());
    if (!target.work) {
        // Nothing can be read: the corner that fired is the best guess left.
        target.work = input.corner_monitor;
        return target;
    }
    out.moved_to_primary = target.work;
    return target;
}

state::Rect deflate(const state::Rect& r, std::int32_t by) {
    return {r.left + by, r.top + by, std::max(r.left + by, r.right - by),
            std::max(r.top + by, r.bottom - by)};
}

}  // namespace

std::optional<FrameFit> PlacedFit::get() const {
    const std::lock_guard lock(mutex_);
    return fit_;
}

void PlacedFit::set(const FrameFit& fit) {
    const std::lock_guard lock(mutex_);
    fit_ = fit;
}

PlacedFit& placed_fit() noexcept {
    static PlacedFit fit;
    return fit;
}

PanelPlacement plan_placement(const PlacementInput& input, std::uint32_t dpi, DisplaySystem& displays,
                              const PanelSizeAt& size_at) {
    PanelPlacement out;
    const bool tray = input.anchor == state::PanelAnchor::Tray;
    const Target target = tray ? tray_target(input, displays) : corner_target(input, displays, out);
    if (target.monitor != 0) {
        const std::optional<std::uint32_t> monitor_dpi = displays.dpi_for_monitor(target.monitor);
        if (monitor_dpi && *monitor_dpi != 0) {
            dpi = *monitor_dpi;
        }
    }
    const std::optional<state::Rect>& work = target.work;
    // A corner-opened panel keeps s(8) from every edge of the work area; it is laid out for what
    // is left, so it never has to be cut.
    const std::int32_t margin = tray ? 0 : state::scale_dip(8, dpi);
    out.fit.dpi = dpi;
    if (work) {
        const state::Rect area = deflate(*work, margin);
        out.fit.area = Size{area.width(), area.height()};
    }
    const Size size = size_at(dpi, out.fit.area);

    out.dpi = dpi;
    out.width = size.width;
    out.work = work;
    const Placement p = tray ? tray_position(work, size.width, size.height, target.edge)
                             : corner_position(work, input.hot_corner, size.width, size.height, dpi);
    out.x = p.x;
    out.y = p.y;
    out.height = p.height;
    if (tray) {
        out.log_line = fmt::format("position_panel TRAY taskbar={} edge={} work={} -> x={} y={} w={} h={}",
                                   input.taskbar ? "true" : "false", edge_name(target.edge), describe(work),
                                   out.x, out.y, out.width, out.height);
    } else {
        out.log_line = fmt::format("position_panel CORNER corner={} work={}{} -> x={} y={} w={} h={}",
                                   corner_name(input.hot_corner), describe(work),
                                   out.moved_to_primary ? " (its monitor changed: primary)" : "", out.x,
                                   out.y, out.width, out.height);
    }
    return out;
}

std::optional<PanelPlacement> position_panel(DisplaySystem& displays, state::StateSlot& slot,
                                             std::atomic<std::uint32_t>& system_dpi,
                                             const PanelSizeAt& size_at, PlacedFit& fit) {
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
    fit.set(placement.fit);
    if (placement.moved_to_primary) {
        if (const auto guard = slot.lock()) {
            guard->corner_monitor = placement.moved_to_primary;
        }
    }
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

std::optional<state::Rect> cursor_work_area(DisplaySystem& displays) {
    const std::optional<Point> cursor = displays.cursor_position();
    if (!cursor) {
        return std::nullopt;
    }
    const MonitorHandle monitor = displays.monitor_from_point(*cursor);
    const std::optional<MonitorInfo> info = monitor != 0 ? displays.monitor_info(monitor) : std::nullopt;
    if (!info) {
        return std::nullopt;
    }
    return info->work;
}

}  // namespace panel

#include "panel/position.hpp"

#include <algorithm>

#include "state/dpi.hpp"

namespace panel {
namespace {

// Positions are computed in 64 bits so a huge panel or an odd work area cannot overflow.
std::int32_t narrow(std::int64_t v) noexcept {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

Placement clamp_to_work_area(const state::Rect& work, std::int32_t x, std::int32_t y, std::int32_t width,
                             std::int32_t height, std::int32_t margin) noexcept {
    const std::int64_t m = margin;
    const std::int64_t min_x = work.left + m;
    const std::int64_t new_x = std::clamp<std::int64_t>(x, min_x, std::max(min_x, work.right - width - m));
    std::int64_t available = static_cast<std::int64_t>(work.bottom) - work.top - 2 * m;
    if (available < 2) {
        available = 1;
    }
    std::int64_t new_height = std::min<std::int64_t>(available, height);
    if (new_height < 2) {
        new_height = 1;
    }
    const std::int64_t min_y = work.top + m;
    const std::int64_t new_y =
        std::clamp<std::int64_t>(y, min_y, std::max(min_y, work.bottom - m - new_height));
    return Placement{narrow(new_x), narrow(new_y), narrow(new_height)};
}

Placement tray_position(const std::optional<state::Rect>& work, std::int32_t width, std::int32_t height,
                        TaskbarEdge edge) noexcept {
    if (!work) {
        return Placement{0, 0, height};
    }
    const std::int64_t x =
        edge == TaskbarEdge::Left ? work->left : static_cast<std::int64_t>(work->right) - width;
    const std::int64_t y =
        edge == TaskbarEdge::Top ? work->top : static_cast<std::int64_t>(work->bottom) - height;
    return clamp_to_work_area(*work, narrow(x), narrow(y), width, height, 0);
}

Placement corner_position(const std::optional<state::Rect>& work, settings::TrayCorner corner,
                          std::int32_t width, std::int32_t height, std::uint32_t dpi) noexcept {
    const std::int64_t f = state::scale_dip(8, dpi);
    const state::Rect area = work.value_or(state::Rect{0, 0, width, height});
    const bool left = corner == settings::TrayCorner::TopLeft || corner == settings::TrayCorner::BottomLeft;
    const bool top = corner == settings::TrayCorner::TopLeft || corner == settings::TrayCorner::TopRight;
    const std::int64_t x = left ? area.left + f : area.right - width - f;
    const std::int64_t y = top ? area.top + f : area.bottom - height - f;
    if (!work) {
        return Placement{narrow(x), narrow(y), height};
    }
    return clamp_to_work_area(*work, narrow(x), narrow(y), width, height, narrow(f));
}

bool in_hot_corner(const state::Rect& monitor, settings::TrayCorner corner, std::int32_t x, std::int32_t y,
                   std::uint32_t dpi) noexcept {
    const std::int64_t z = state::scale_dip(6, dpi);
    const bool near_left = x <= monitor.left + z;
    const bool near_right = x >= monitor.right - z - 1;
    const bool near_top = y <= monitor.top + z;
    const bool near_bottom = y >= monitor.bottom - z - 1;
    switch (corner) {
        case settings::TrayCorner::TopRight:
            return near_right && near_top;
        case settings::TrayCorner::BottomLeft:
            return near_left && near_bottom;
        case settings::TrayCorner::BottomRight:
            return near_right && near_bottom;
        case settings::TrayCorner::TopLeft:
        default:
            return near_left && near_top;
    }
}

std::string_view corner_name(settings::TrayCorner corner) noexcept {
    switch (corner) {
        case settings::TrayCorner::TopRight:
            return "TopRight";
        case settings::TrayCorner::BottomLeft:
            return "BottomLeft";
        case settings::TrayCorner::BottomRight:
            return "BottomRight";
        case settings::TrayCorner::TopLeft:
        default:
            return "TopLeft";
    }
}

}  // namespace panel

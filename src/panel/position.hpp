#pragma once
// Where the panel goes inside a work area, and the hot-corner hit test.

#include <cstdint>
#include <optional>
#include <string_view>

#include "settings/settings_file.hpp"
#include "state/rect.hpp"

namespace panel {

struct Placement {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t height = 0;  // the width is never changed

    friend constexpr bool operator==(const Placement&, const Placement&) = default;
};

// Keeps the panel `margin` inside the work area; a panel taller than the area is shortened.
[[nodiscard]] Placement clamp_to_work_area(const state::Rect& work, std::int32_t x, std::int32_t y,
                                           std::int32_t width, std::int32_t height,
                                           std::int32_t margin) noexcept;

// The screen edge the taskbar is docked on.
enum class TaskbarEdge { Left, Top, Right, Bottom };

// Flush in the corner of the work area next to the notification area: the right end of a
// horizontal taskbar, the bottom end of a vertical one (bottom-right for a taskbar at the
// bottom); (0, 0) when no work area is known.
[[nodiscard]] Placement tray_position(const std::optional<state::Rect>& work, std::int32_t width,
                                      std::int32_t height, TaskbarEdge edge = TaskbarEdge::Bottom) noexcept;

// Inset by s(8) in the chosen corner and kept inside the work area; without one the corner of
// (0, 0, width, height) is used and nothing is clamped.
[[nodiscard]] Placement corner_position(const std::optional<state::Rect>& work, settings::TrayCorner corner,
                                        std::int32_t width, std::int32_t height, std::uint32_t dpi) noexcept;

// The point whose monitor is the one a hot corner last fired on: the work area's centre.
[[nodiscard]] constexpr std::pair<std::int32_t, std::int32_t> centre_of(const state::Rect& r) noexcept {
    return {static_cast<std::int32_t>((static_cast<std::int64_t>(r.left) + r.right) / 2),
            static_cast<std::int32_t>((static_cast<std::int64_t>(r.top) + r.bottom) / 2)};
}

// True when (x, y) lies in the corner's zone of the monitor rectangle, s(6) + 1 pixels square.
[[nodiscard]] bool in_hot_corner(const state::Rect& monitor, settings::TrayCorner corner, std::int32_t x,
                                 std::int32_t y, std::uint32_t dpi) noexcept;

// "TopLeft", "TopRight", "BottomLeft", "BottomRight" for the diagnostic log.
[[nodiscard]] std::string_view corner_name(settings::TrayCorner corner) noexcept;

}  // namespace panel

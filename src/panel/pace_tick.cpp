#include "panel/pace_tick.hpp"

#include <algorithm>
#include <cmath>

namespace panel {

state::Rect pace_tick(const state::Rect& track, double expected_percent, std::int32_t thickness) noexcept {
    const double share =
        std::isnan(expected_percent) ? 0.0 : std::clamp(expected_percent, 0.0, 100.0) / 100.0;
    const auto centre = track.left + static_cast<std::int32_t>(std::lround(share * track.width()));
    const std::int32_t left =
        std::clamp(centre - thickness / 2, track.left, std::max(track.left, track.right - thickness));
    return {left, track.top - thickness, left + thickness, track.bottom + thickness};
}

}  // namespace panel

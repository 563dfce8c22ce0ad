#pragma once
// The pace tick: a thin mark across a bar where its share would stand with even use.

#include <cstdint>

#include "state/rect.hpp"

namespace panel {

// A line `thickness` wide at `expected_percent` (0-100) of `track`, reaching `thickness` above and
// below it, kept inside the track's width.
[[nodiscard]] state::Rect pace_tick(const state::Rect& track, double expected_percent,
                                    std::int32_t thickness) noexcept;

}  // namespace panel

#pragma once
// The union of rectangles as rectangles that do not overlap, in bands from the top and from the
// left within a band: the form a Windows region is made from, and no pixel filled twice.

#include <span>
#include <vector>

#include "state/rect.hpp"

namespace panel {

// Every pixel inside any of `rects` once; empty rectangles count for nothing. Bands of equal
// spans one above the other are joined.
[[nodiscard]] std::vector<state::Rect> union_of(std::span<const state::Rect> rects);

}  // namespace panel

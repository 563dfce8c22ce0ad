#pragma once
// Whether presenting a frame changed the size of a visible panel, which must then be placed again.

#include <optional>
#include <string>

#include "panel/layout.hpp"

namespace panel {

// The diagnostic line for a visible panel whose outer size was known and differs from the new
// frame's ("render_layered size changed Some((322, 40)) -> 322x132; re-anchoring"); nothing when
// the panel must stay where it is.
[[nodiscard]] std::optional<std::string> size_change_line(const std::optional<Size>& previous, Size now,
                                                          bool visible);

}  // namespace panel

#pragma once
// The display calls of placement, made on the real window system.

#include "panel/display_system.hpp"

namespace panel {

// The process's one instance; it holds nothing.
[[nodiscard]] DisplaySystem& windows_display_system() noexcept;

}  // namespace panel

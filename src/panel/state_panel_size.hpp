#pragma once
// The panel's size for what the application state holds now, computed under the state lock.

#include <cstdint>

#include "panel/layout.hpp"
#include "state/app_state.hpp"

namespace panel {

// The current layout and usage list at `dpi`; with no state (or before the first poll) the
// columns layout with no rows.
[[nodiscard]] Size panel_size(std::uint32_t dpi, state::StateSlot& slot = state::app_state());

}  // namespace panel

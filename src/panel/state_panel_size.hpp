#pragma once
// The panel's size for what the application state holds now, computed under the state lock.

#include <cstdint>
#include <optional>

#include "panel/bar_labels.hpp"
#include "panel/layout.hpp"
#include "state/app_state.hpp"

namespace panel {

// The current layout and usage list at `dpi`, fitted into `area` when one is given, with the label
// column `measure` finds; with no state (or before the first poll) the columns layout with no
// rows.
[[nodiscard]] Size panel_size(std::uint32_t dpi, const std::optional<Size>& area, const LabelMeasure& measure,
                              state::StateSlot& slot = state::app_state());

// The same, unbounded and with the narrowest label column.
[[nodiscard]] Size panel_size(std::uint32_t dpi, state::StateSlot& slot = state::app_state());

}  // namespace panel

#include "panel/state_panel_size.hpp"

namespace panel {

Size panel_size(std::uint32_t dpi, state::StateSlot& slot) {
    static const std::vector<poller::UsageSnapshot> no_rows;
    const auto guard = slot.lock();
    if (!guard) {
        return panel_size(settings::PanelLayout::Columns, no_rows, dpi);
    }
    return panel_size(guard->panel_layout, guard->usage ? *guard->usage : no_rows, dpi, guard->show_pace);
}

}  // namespace panel

#include "panel/state_panel_size.hpp"

#include "localization/language.hpp"

namespace panel {

Size panel_size(std::uint32_t dpi, const std::optional<Size>& area, const LabelMeasure& measure,
                state::StateSlot& slot) {
    settings::PanelLayout layout = settings::PanelLayout::Columns;
    std::vector<poller::UsageSnapshot> rows;
    localization::Language language = localization::Language::English;
    bool with_run_out = false;
    {
        const auto guard = slot.lock();
        if (guard) {
            layout = guard->panel_layout;
            language = localization::drawn_language(guard->effective_language);
            with_run_out = guard->show_pace;
            if (guard->usage) {
                rows = *guard->usage;
            }
        }
    }
    // Measuring calls the window system: never under the state lock.
    return panel_size(layout, rows, dpi,
                      PanelFit{area, measured_label_column(rows, language, dpi, measure), with_run_out});
}

Size panel_size(std::uint32_t dpi, state::StateSlot& slot) {
    return panel_size(dpi, std::nullopt, {}, slot);
}

}  // namespace panel

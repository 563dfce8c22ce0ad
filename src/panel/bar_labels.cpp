#include "panel/bar_labels.hpp"

#include <algorithm>

#include "localization/string_table.hpp"
#include "panel/panel_metrics.hpp"
#include "state/dpi.hpp"

namespace panel {

std::vector<std::string> bar_labels(const std::vector<poller::UsageSnapshot>& rows,
                                    localization::Language language) {
    std::vector<std::string> labels;
    const auto add = [&labels](std::string_view label) {
        if (std::find(labels.begin(), labels.end(), label) == labels.end()) {
            labels.emplace_back(label);
        }
    };
    const localization::StringTable& strings = localization::string_table(language);
    for (const poller::UsageSnapshot& row : rows) {
        if (!row.usage) {
            continue;  // the "(unavailable)" line spans the whole column
        }
        add(strings.window_5h);
        add(strings.window_7d);
        if (row.provider == accounts::Provider::Claude) {
            for (const poller::ModelBar& model : row.usage->model_bars) {
                add(model.label);
            }
        }
    }
    return labels;
}

std::int32_t measured_label_column(const std::vector<poller::UsageSnapshot>& rows,
                                   localization::Language language, std::uint32_t dpi,
                                   const LabelMeasure& measure) {
    if (!measure) {
        return 0;
    }
    const std::vector<std::string> labels = bar_labels(rows, language);
    return labels.empty() ? 0 : std::max(measure(labels, state::scale_dip(metrics::FONT_HEIGHT, dpi)), 0);
}

}  // namespace panel

#pragma once
// The labels of the panel's bar rows ("5h", "7d", model names): the label column is as wide as
// the widest of them in the panel's text font.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "localization/language.hpp"
#include "poller/usage_model.hpp"

namespace panel {

// The width in pixels of the widest of `labels` in the panel's text font of `font_height` pixels;
// 0 when it cannot be measured.
using LabelMeasure =
    std::function<std::int32_t(const std::vector<std::string>& labels, std::int32_t font_height)>;

// Every distinct bar label the rows show, in the order they first appear.
[[nodiscard]] std::vector<std::string> bar_labels(const std::vector<poller::UsageSnapshot>& rows,
                                                  localization::Language language);

// The measured label column of the rows at `dpi`; 0 (the narrowest column) without a measure.
[[nodiscard]] std::int32_t measured_label_column(const std::vector<poller::UsageSnapshot>& rows,
                                                 localization::Language language, std::uint32_t dpi,
                                                 const LabelMeasure& measure);

}  // namespace panel

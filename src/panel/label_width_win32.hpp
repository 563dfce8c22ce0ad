#pragma once
// The width of the panel's bar labels in its text font, measured with GDI.

#include <cstdint>
#include <string>
#include <vector>

namespace panel {

// The widest of `labels` in the panel's text font of `font_height` pixels; 0 when GDI cannot
// measure. The same labels at the same height are measured once: the answer is remembered.
[[nodiscard]] std::int32_t widest_label(const std::vector<std::string>& labels,
                                        std::int32_t font_height) noexcept;

}  // namespace panel

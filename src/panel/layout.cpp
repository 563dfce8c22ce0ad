#include "panel/layout.hpp"

#include <algorithm>
#include <cmath>

#include "state/dpi.hpp"

namespace panel {
namespace {

std::int32_t section_height(const PanelSection& section, std::uint32_t dpi) {
    const auto s = [dpi](std::int64_t v) { return state::scale_dip(v, dpi); };
    std::int64_t height = s(20);
    for (std::size_t k = 0; k < section.rows.size(); ++k) {
        if (k > 0) {
            height += s(8);
        }
        height += s(20) + s(6) + static_cast<std::int64_t>(bar_row_count(section.rows[k])) * (s(13) + s(10));
    }
    return static_cast<std::int32_t>(std::min<std::int64_t>(height, INT32_MAX));
}

PanelSection make_section(bool is_claude, std::vector<poller::UsageSnapshot> rows, std::uint32_t dpi,
                          bool with_run_out) {
    PanelSection section;
    section.title = is_claude ? "Claude" : "Codex";
    section.is_claude = is_claude;
    section.rows = std::move(rows);
    section.width = column_width(dpi, with_run_out);
    section.height = section_height(section, dpi);
    return section;
}

}  // namespace

std::int32_t bar_width(std::uint32_t dpi) noexcept {
    return 5 * state::scale_dip(1, dpi) + 5 * state::scale_dip(10, dpi) - state::scale_dip(1, dpi);
}

std::int32_t column_width(std::uint32_t dpi, bool with_run_out) noexcept {
    return 5 * state::scale_dip(1, dpi) + 5 * state::scale_dip(10, dpi) + state::scale_dip(4, dpi) +
           state::scale_dip(205, dpi) + state::scale_dip(28, dpi) + state::scale_dip(10, dpi) -
           state::scale_dip(1, dpi) + (with_run_out ? state::scale_dip(RUN_OUT_TEXT_DIPS, dpi) : 0);
}

std::int32_t content_left(std::uint32_t dpi) noexcept {
    return state::scale_dip(3, dpi) + state::scale_dip(10, dpi);
}

std::size_t bar_row_count(const poller::UsageSnapshot& row) noexcept {
    if (!row.usage) {
        return 1;
    }
    return row.provider == accounts::Provider::Claude ? 2 + row.usage->model_bars.size() : 2;
}

std::vector<PanelSection> layout_sections(settings::PanelLayout layout,
                                          const std::vector<poller::UsageSnapshot>& rows, std::uint32_t dpi,
                                          bool with_run_out) {
    std::vector<poller::UsageSnapshot> claude;
    std::vector<poller::UsageSnapshot> codex;
    for (const auto& row : rows) {
        (row.provider == accounts::Provider::Claude ? claude : codex).push_back(row);
    }

    std::vector<PanelSection> sections;
    if (layout == settings::PanelLayout::Horizontal) {
        for (auto& row : claude) {
            sections.push_back(make_section(true, {std::move(row)}, dpi, with_run_out));
        }
        for (auto& row : codex) {
            sections.push_back(make_section(false, {std::move(row)}, dpi, with_run_out));
        }
    } else {
        if (!claude.empty()) {
            sections.push_back(make_section(true, std::move(claude), dpi, with_run_out));
        }
        if (!codex.empty()) {
            sections.push_back(make_section(false, std::move(codex), dpi, with_run_out));
        }
    }

    const std::int32_t gap = state::scale_dip(24, dpi);
    std::int32_t x = 0;
    std::int32_t y = 0;
    for (PanelSection& section : sections) {
        section.x = x;
        section.y = y;
        if (layout == settings::PanelLayout::Vertical) {
            y += section.height + gap;
        } else {
            x += section.width + gap;
        }
    }
    return sections;
}

Size panel_size(const std::vector<PanelSection>& sections, std::uint32_t dpi) {
    std::int64_t right = 0;
    std::int64_t bottom = 0;
    for (const PanelSection& section : sections) {
        right = std::max<std::int64_t>(right, static_cast<std::int64_t>(section.x) + section.width);
        bottom = std::max<std::int64_t>(bottom, static_cast<std::int64_t>(section.y) + section.height);
    }
    if (right == 0) {
        right = column_width(dpi);
    }
    if (bottom == 0) {
        bottom = state::scale_dip(20, dpi);
    }
    const std::int64_t width =
        state::scale_dip(8, dpi) + state::scale_dip(10, dpi) + right + state::scale_dip(3, dpi);
    const std::int64_t height = state::scale_dip(14, dpi) + state::scale_dip(6, dpi) + bottom;
    return Size{static_cast<std::int32_t>(std::min<std::int64_t>(width, INT32_MAX)),
                static_cast<std::int32_t>(std::min<std::int64_t>(height, INT32_MAX))};
}

Size panel_size(settings::PanelLayout layout, const std::vector<poller::UsageSnapshot>& rows,
                std::uint32_t dpi, bool with_run_out) {
    return panel_size(layout_sections(layout, rows, dpi, with_run_out), dpi);
}

std::int32_t bar_fill_width(double percent, std::int32_t bar_width_px, std::int32_t bar_height_px) noexcept {
    if (std::isnan(percent)) {
        return 0;  // not above 0, and lround would be undefined
    }
    const double p = std::min(std::max(percent, 0.0), 100.0);
    if (p <= 0.0 || bar_width_px <= 0) {
        return 0;
    }
    const auto width = static_cast<std::int32_t>(std::lround(p * bar_width_px / 100.0));
    return std::clamp(width, std::min(bar_height_px, bar_width_px), bar_width_px);
}

std::vector<state::Rect> separator_rects(settings::PanelLayout layout,
                                         const std::vector<PanelSection>& sections, Size panel,
                                         std::uint32_t dpi) {
    std::vector<state::Rect> lines;
    const std::int32_t thickness = std::max(state::scale_dip(1, dpi), 1);
    for (std::size_t i = 0; i + 1 < sections.size(); ++i) {
        const PanelSection& section = sections[i];
        if (layout == settings::PanelLayout::Vertical) {
            const std::int32_t top =
                section.y + state::scale_dip(6, dpi) + section.height + state::scale_dip(24, dpi) / 2;
            lines.push_back(
                {content_left(dpi), top, panel.width - state::scale_dip(8, dpi), top + thickness});
        } else {
            const std::int32_t left =
                section.x + content_left(dpi) + section.width + state::scale_dip(24, dpi) / 2;
            lines.push_back(
                {left, state::scale_dip(9, dpi), left + thickness, panel.height - state::scale_dip(9, dpi)});
        }
    }
    return lines;
}

}  // namespace panel

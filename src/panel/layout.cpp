#include "panel/layout.hpp"

#include <algorithm>
#include <cmath>

#include "panel/dip.hpp"

namespace panel {
namespace {

std::int32_t section_height(const PanelSection& section, std::uint32_t dpi) {
    const auto s = [dpi](std::int64_t v) { return scale(dpi, v); };
    std::int64_t height = s(20);
    for (std::size_t k = 0; k < section.rows.size(); ++k) {
        if (k > 0) {
            height += s(8);
        }
        height += s(20) + s(6) + static_cast<std::int64_t>(bar_row_count(section.rows[k])) * (s(13) + s(10));
    }
    return static_cast<std::int32_t>(std::min<std::int64_t>(height, INT32_MAX));
}

PanelSection make_section(bool is_claude, std::vector<poller::UsageSnapshot> rows, std::uint32_t dpi) {
    PanelSection section;
    section.title = is_claude ? "Claude" : "Codex";
    section.is_claude = is_claude;
    section.rows = std::move(rows);
    section.width = column_width(dpi);
    section.height = section_height(section, dpi);
    return section;
}

}  // namespace

std::int32_t bar_width(std::uint32_t dpi) noexcept {
    return 5 * scale(dpi, 1) + 5 * scale(dpi, 10) - scale(dpi, 1);
}

std::int32_t column_width(std::uint32_t dpi) noexcept {
    return 5 * scale(dpi, 1) + 5 * scale(dpi, 10) + scale(dpi, 4) + scale(dpi, 205) + scale(dpi, 28) +
           scale(dpi, 10) - scale(dpi, 1);
}

std::int32_t content_left(std::uint32_t dpi) noexcept {
    return scale(dpi, 3) + scale(dpi, 10);
}

std::size_t bar_row_count(const poller::UsageSnapshot& row) noexcept {
    if (!row.usage) {
        return 1;
    }
    return row.provider == accounts::Provider::Claude ? 2 + row.usage->model_bars.size() : 2;
}

std::vector<PanelSection> layout_sections(settings::PanelLayout layout,
                                          const std::vector<poller::UsageSnapshot>& rows, std::uint32_t dpi) {
    std::vector<poller::UsageSnapshot> claude;
    std::vector<poller::UsageSnapshot> codex;
    for (const auto& row : rows) {
        (row.provider == accounts::Provider::Claude ? claude : codex).push_back(row);
    }

    std::vector<PanelSection> sections;
    if (layout == settings::PanelLayout::Horizontal) {
        for (auto& row : claude) {
            sections.push_back(make_section(true, {std::move(row)}, dpi));
        }
        for (auto& row : codex) {
            sections.push_back(make_section(false, {std::move(row)}, dpi));
        }
    } else {
        if (!claude.empty()) {
            sections.push_back(make_section(true, std::move(claude), dpi));
        }
        if (!codex.empty()) {
            sections.push_back(make_section(false, std::move(codex), dpi));
        }
    }

    const std::int32_t gap = scale(dpi, 24);
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
        bottom = scale(dpi, 20);
    }
    const std::int64_t width = scale(dpi, 8) + scale(dpi, 10) + right + scale(dpi, 3);
    const std::int64_t height = scale(dpi, 14) + scale(dpi, 6) + bottom;
    return Size{static_cast<std::int32_t>(std::min<std::int64_t>(width, INT32_MAX)),
                static_cast<std::int32_t>(std::min<std::int64_t>(height, INT32_MAX))};
}

Size panel_size(settings::PanelLayout layout, const std::vector<poller::UsageSnapshot>& rows,
                std::uint32_t dpi) {
    return panel_size(layout_sections(layout, rows, dpi), dpi);
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
    const std::int32_t thickness = std::max(scale(dpi, 1), 1);
    for (std::size_t i = 0; i + 1 < sections.size(); ++i) {
        const PanelSection& section = sections[i];
        if (layout == settings::PanelLayout::Vertical) {
            const std::int32_t top = section.y + scale(dpi, 6) + section.height + scale(dpi, 24) / 2;
            lines.push_back({content_left(dpi), top, panel.width - scale(dpi, 8), top + thickness});
        } else {
            const std::int32_t left = section.x + content_left(dpi) + section.width + scale(dpi, 24) / 2;
            lines.push_back({left, scale(dpi, 9), left + thickness, panel.height - scale(dpi, 9)});
        }
    }
    return lines;
}

}  // namespace panel

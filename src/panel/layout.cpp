#include "panel/layout.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "panel/panel_metrics.hpp"
#include "state/dpi.hpp"

namespace panel {
namespace {

namespace m = metrics;

// Lengths are summed in 64 bits: sixty accounts at 192 DPI, or an absurd work area, cannot overflow.
using Length = std::int64_t;
constexpr Length UNBOUNDED = std::numeric_limits<std::int32_t>::max();

std::int32_t narrow(Length v) noexcept {
    return static_cast<std::int32_t>(std::clamp<Length>(v, 0, std::numeric_limits<std::int32_t>::max()));
}

struct Scale {
    std::uint32_t dpi;
    [[nodiscard]] Length operator()(std::int64_t dips) const noexcept { return state::scale_dip(dips, dpi); }
};

// The panel around its content: inset, padding and outline.
Length chrome_width(const Scale& s) {
    return s(m::RIGHT_EXTRA) + s(m::SIDE_PADDING) + s(m::BORDER_INSET);
}
Length chrome_height(const Scale& s) {
    return s(m::TOP_PADDING) + s(m::SECTION_TOP);
}

Length account_height(const poller::UsageSnapshot& row, const Scale& s) {
    return s(m::LABEL_LINE_HEIGHT) + s(m::LABEL_LINE_GAP) +
           static_cast<Length>(bar_row_count(row)) * (s(m::BAR_ROW_HEIGHT) + s(m::BAR_ROW_GAP));
}

Length section_height(const std::vector<poller::UsageSnapshot>& rows, const Scale& s) {
    Length height = s(m::HEADER_HEIGHT);
    for (std::size_t k = 0; k < rows.size(); ++k) {
        height += (k > 0 ? s(m::ACCOUNT_GAP) : 0) + account_height(rows[k], s);
    }
    return height;
}

PanelSection make_section(bool is_claude, std::vector<poller::UsageSnapshot> rows, std::int32_t width,
                          const Scale& s) {
    PanelSection section;
    section.title = is_claude ? "Claude" : "Codex";
    section.is_claude = is_claude;
    section.rows = std::move(rows);
    section.width = width;
    section.height = narrow(section_height(section.rows, s));
    return section;
}

// How many columns of `column` pixels fit side by side in `available`; at least one.
std::size_t lanes_across(Length available, Length column, Length gap) {
    return static_cast<std::size_t>(std::max<Length>(1, (available + gap) / (column + gap)));
}

struct Fitter {
    settings::PanelLayout layout;
    Scale s;
    std::int32_t column;
    Length avail_width;
    Length avail_height;

    [[nodiscard]] Length gap() const { return s(m::SECTION_GAP); }
    [[nodiscard]] Length more_height() const { return s(m::LABEL_LINE_HEIGHT); }

    // Vertical and Columns: a provider's accounts go down a column; where the work area ends they
    // continue in the next column under the provider's header again. Vertical stacks the
    // providers in one column while they fit, and moves a provider that fits a column of its own
    // to a fresh column rather than splitting it.
    [[nodiscard]] std::vector<std::vector<PanelSection>> columns_of(
        std::vector<std::vector<poller::UsageSnapshot>> groups) const {
        std::vector<std::vector<PanelSection>> columns;
        const auto bottom = [&](const std::vector<PanelSection>& col) -> Length {
            return col.empty() ? 0 : Length{col.back().y} + col.back().height + gap();
        };
        for (std::size_t g = 0; g < groups.size(); ++g) {
            std::vector<poller::UsageSnapshot>& rows = groups[g];
            if (rows.empty()) {
                continue;
            }
            const bool is_claude = rows.front().provider == accounts::Provider::Claude;
            const Length whole = section_height(rows, s);
            bool fresh = columns.empty() || layout == settings::PanelLayout::Columns;
            if (!fresh) {
                const Length top = bottom(columns.back());
                const Length first = s(m::HEADER_HEIGHT) + account_height(rows.front(), s);
                fresh = top + whole > avail_height && (whole <= avail_height || top + first > avail_height);
            }
            if (fresh) {
                columns.emplace_back();
            }
            std::size_t i = 0;
            while (i < rows.size()) {
                std::vector<PanelSection>& col = columns.back();
                const Length top = bottom(col);
                Length height = s(m::HEADER_HEIGHT);
                std::size_t end = i;
                while (end < rows.size()) {
                    const Length next =
                        height + (end > i ? s(m::ACCOUNT_GAP) : 0) + account_height(rows[end], s);
                    // An account taller than a whole column still takes one, alone.
                    if (top + next > avail_height && !(end == i && col.empty())) {
                        break;
                    }
                    height = next;
                    ++end;
                }
                if (end == i) {
                    columns.emplace_back();
                    continue;
                }
                PanelSection section =
                    make_section(is_claude,
                                 {std::make_move_iterator(rows.begin() + static_cast<std::ptrdiff_t>(i)),
                                  std::make_move_iterator(rows.begin() + static_cast<std::ptrdiff_t>(end))},
                                 column, s);
                section.y = narrow(top);
                col.push_back(std::move(section));
                i = end;
                if (i < rows.size()) {
                    columns.emplace_back();
                }
            }
        }
        return columns;
    }

    // Keeps the columns that fit across the work area; the last kept column gives up accounts
    // from its end until the "+N more" line fits under them.
    void cut_columns(std::vector<std::vector<PanelSection>>& columns, FittedPanel& out) const {
        const std::size_t fit = lanes_across(avail_width, column, gap());
        if (columns.size() <= fit) {
            return;
        }
        for (std::size_t c = fit; c < columns.size(); ++c) {
            for (const PanelSection& section : columns[c]) {
                out.hidden += section.rows.size();
            }
        }
        columns.resize(fit);
        std::vector<PanelSection>& last = columns.back();
        Length line_top = 0;
        while (!last.empty()) {
            PanelSection& section = last.back();
            if (section.rows.empty()) {
                last.pop_back();  // a header with no account under it
                continue;
            }
            line_top = Length{section.y} + section.height + s(m::ACCOUNT_GAP);
            if (line_top + more_height() <= avail_height) {
                break;
            }
            section.rows.pop_back();
            ++out.hidden;
            section.height = narrow(section_height(section.rows, s));
            line_top = 0;
        }
        out.more_line = state::Rect{0, narrow(line_top), column, narrow(line_top + more_height())};
    }

    [[nodiscard]] FittedPanel vertical(const std::vector<poller::UsageSnapshot>& rows) const {
        std::vector<std::vector<poller::UsageSnapshot>> groups(2);
        for (const auto& row : rows) {
            groups[row.provider == accounts::Provider::Claude ? 0 : 1].push_back(row);
        }
        std::vector<std::vector<PanelSection>> columns = columns_of(std::move(groups));
        FittedPanel out;
        cut_columns(columns, out);
        for (std::size_t c = 0; c < columns.size(); ++c) {
            for (PanelSection& section : columns[c]) {
                section.x = narrow(static_cast<Length>(c) * (column + gap()));
                section.lane = c;
                out.sections.push_back(std::move(section));
            }
        }
        if (out.more_line) {
            const std::int32_t x = narrow(static_cast<Length>(columns.size() - 1) * (column + gap()));
            out.more_line->left += x;
            out.more_line->right += x;
        }
        return out;
    }

    // Horizontal: one section per account, left to right, wrapping into further rows; rows that
    // do not fit are left out and the last shown account makes room for the "+N more" line.
    [[nodiscard]] FittedPanel horizontal(const std::vector<poller::UsageSnapshot>& rows) const {
        std::vector<PanelSection> ordered;
        for (const bool claude : {true, false}) {
            for (const auto& row : rows) {
                if ((row.provider == accounts::Provider::Claude) == claude) {
                    ordered.push_back(make_section(claude, {row}, column, s));
                }
            }
        }
        FittedPanel out;
        const std::size_t per_row = lanes_across(avail_width, column, gap());
        Length top = 0;
        for (std::size_t start = 0; start < ordered.size(); start += per_row) {
            const std::size_t end = std::min(ordered.size(), start + per_row);
            Length height = 0;
            for (std::size_t i = start; i < end; ++i) {
                height = std::max<Length>(height, ordered[i].height);
            }
            if (start > 0 && top + height > avail_height) {
                out.hidden = ordered.size() - start + 1;
                const PanelSection& last = out.sections.back();
                out.more_line = state::Rect{last.x, last.y, last.x + column, narrow(last.y + more_height())};
                out.sections.pop_back();
                break;
            }
            for (std::size_t i = start; i < end; ++i) {
                ordered[i].x = narrow(static_cast<Length>(i - start) * (column + gap()));
                ordered[i].y = narrow(top);
                ordered[i].lane = start / per_row;
                out.sections.push_back(std::move(ordered[i]));
            }
            top += height + gap();
        }
        return out;
    }
};

Size size_of(const FittedPanel& panel, const Scale& s, std::int32_t column) {
    Length right = 0;
    Length bottom = 0;
    for (const PanelSection& section : panel.sections) {
        right = std::max<Length>(right, Length{section.x} + section.width);
        bottom = std::max<Length>(bottom, Length{section.y} + section.height);
    }
    if (panel.more_line) {
        right = std::max<Length>(right, panel.more_line->right);
        bottom = std::max<Length>(bottom, panel.more_line->bottom);
    }
    if (right == 0) {
        right = column;
    }
    if (bottom == 0) {
        bottom = s(m::EMPTY_CONTENT_HEIGHT);
    }
    return Size{narrow(chrome_width(s) + right), narrow(chrome_height(s) + bottom)};
}

}  // namespace

std::int32_t bar_width(std::uint32_t dpi) noexcept {
    const Scale s{dpi};
    return narrow(m::BAR_SEGMENTS * s(m::BAR_SEGMENT_GAP) + m::BAR_SEGMENTS * s(m::BAR_SEGMENT) -
                  s(m::BAR_SEGMENT_GAP));
}

std::int32_t label_column_width(std::uint32_t dpi, std::int32_t measured) noexcept {
    return std::max(measured, state::scale_dip(m::LABEL_COLUMN_MIN, dpi));
}

std::int32_t column_width(std::uint32_t dpi, std::int32_t label_column, bool with_run_out) noexcept {
    const Scale s{dpi};
    return narrow(Length{label_column_width(dpi, label_column)} + s(m::LABEL_BAR_GAP) + bar_width(dpi) +
                  s(m::BAR_VALUE_GAP) + s(m::VALUE_COLUMN) + (with_run_out ? s(RUN_OUT_TEXT_DIPS) : 0));
}

std::int32_t content_left(std::uint32_t dpi) noexcept {
    return state::scale_dip(m::BORDER_INSET, dpi) + state::scale_dip(m::SIDE_PADDING, dpi);
}

std::int32_t content_top(std::uint32_t dpi) noexcept {
    return state::scale_dip(m::SECTION_TOP, dpi);
}

std::size_t bar_row_count(const poller::UsageSnapshot& row) noexcept {
    if (!row.usage) {
        return 1;
    }
    return row.provider == accounts::Provider::Claude ? 2 + row.usage->model_bars.size() : 2;
}

FittedPanel fit_panel(settings::PanelLayout layout, const std::vector<poller::UsageSnapshot>& rows,
                      std::uint32_t dpi, const PanelFit& fit) {
    const Scale s{dpi};
    const std::int32_t column = column_width(dpi, fit.label_column, fit.with_run_out);
    Length avail_width = UNBOUNDED;
    Length avail_height = UNBOUNDED;
    if (fit.work) {
        avail_width = std::max<Length>(0, Length{fit.work->width} - chrome_width(s));
        avail_height = std::max<Length>(0, Length{fit.work->height} - chrome_height(s));
    }
    const Fitter fitter{layout, s, column, avail_width, avail_height};
    FittedPanel out =
        layout == settings::PanelLayout::Horizontal ? fitter.horizontal(rows) : fitter.vertical(rows);
    out.size = size_of(out, s, column);
    if (fit.work) {
        // Only an account taller than the whole work area gets here: it is cut at the edge.
        out.size.width = std::min(out.size.width, std::max(fit.work->width, 1));
        out.size.height = std::min(out.size.height, std::max(fit.work->height, 1));
    }
    return out;
}

std::vector<PanelSection> layout_sections(settings::PanelLayout layout,
                                          const std::vector<poller::UsageSnapshot>& rows, std::uint32_t dpi,
                                          bool with_run_out) {
    PanelFit fit;
    fit.with_run_out = with_run_out;
    return fit_panel(layout, rows, dpi, fit).sections;
}

Size panel_size(const std::vector<PanelSection>& sections, std::uint32_t dpi) {
    FittedPanel panel;
    panel.sections = sections;
    return size_of(panel, Scale{dpi}, column_width(dpi));
}

Size panel_size(settings::PanelLayout layout, const std::vector<poller::UsageSnapshot>& rows,
                std::uint32_t dpi, const PanelFit& fit) {
    return fit_panel(layout, rows, dpi, fit).size;
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
    const Scale s{dpi};
    const auto px = [](Length v) { return narrow(v); };
    const std::int32_t thickness = std::max(px(s(m::SEPARATOR_THICKNESS)), 1);
    const std::int32_t half_gap = px(s(m::SECTION_GAP) / 2);
    const std::int32_t left = content_left(dpi);
    const std::int32_t top = content_top(dpi);
    const bool across_rows = layout == settings::PanelLayout::Horizontal;
    const auto lane_height = [&](std::size_t lane) {
        std::int32_t height = 0;
        for (const PanelSection& section : sections) {
            if (section.lane == lane) {
                height = std::max(height, section.height);
            }
        }
        return height;
    };
    std::vector<state::Rect> lines;
    for (std::size_t i = 0; i + 1 < sections.size(); ++i) {
        const PanelSection& section = sections[i];
        const bool same_lane = sections[i + 1].lane == section.lane;
        // A line across: between sections of one column, or between rows of Horizontal.
        if (same_lane != across_rows) {
            const std::int32_t height = across_rows ? lane_height(section.lane) : section.height;
            const std::int32_t y = section.y + top + height + half_gap;
            const std::int32_t from = across_rows ? left : left + section.x;
            const std::int32_t to = across_rows ? panel.width - px(s(m::RIGHT_EXTRA)) : from + section.width;
            lines.push_back({from, y, to, y + thickness});
            continue;
        }
        // A line down: between columns, or between the sections of one row of Horizontal.
        const std::int32_t x = left + section.x + section.width + half_gap;
        const std::int32_t inset = px(s(m::SEPARATOR_INSET));
        std::int32_t y0 = inset;
        std::int32_t y1 = panel.height - inset;
        if (across_rows) {
            y0 = section.y + inset;
            y1 = px(Length{section.y} + lane_height(section.lane) + chrome_height(s) - inset);
        }
        lines.push_back({x, y0, x + thickness, y1});
    }
    return lines;
}

}  // namespace panel

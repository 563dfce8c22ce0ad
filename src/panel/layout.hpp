#pragma once
// Where the sections, rows and bars of the panel go, in physical pixels at a given DPI, fitted to
// the work area of the monitor the panel is placed on.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "poller/usage_model.hpp"
#include "settings/settings_file.hpp"
#include "state/rect.hpp"

namespace panel {

// One box of the layout, relative to the content origin. A provider's section longer than the
// work area is split into several boxes, each with the provider's header.
struct PanelSection {
    std::string title;  // "Claude" or "Codex"
    bool is_claude = true;
    std::vector<poller::UsageSnapshot> rows;  // in the order of the usage list
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::size_t lane = 0;  // its column (Vertical, Columns) or row (Horizontal)
};

struct Size {
    std::int32_t width = 0;
    std::int32_t height = 0;

    friend constexpr bool operator==(const Size&, const Size&) = default;
};

// What the layout is fitted to: the work area (none: unbounded) and the label column of the bar
// rows as measured in the panel's font (below s(28) counts as s(28)), both in pixels.
struct PanelFit {
    std::optional<Size> work;
    std::int32_t label_column = 0;
    bool with_run_out = false;  // pace shown: the value column holds the run-out time too

    friend bool operator==(const PanelFit&, const PanelFit&) = default;
};

// The laid-out panel. When not every account fits, `hidden` accounts are left out (the last ones
// in the usage list) and `more_line` is where their "+N more" line goes, relative to the content
// origin like the sections.
struct FittedPanel {
    std::vector<PanelSection> sections;
    Size size;
    std::size_t hidden = 0;
    std::optional<state::Rect> more_line;
};

// Width of the bar track: 5·s(1) + 5·s(10) − s(1), 54 px at 96 DPI.
[[nodiscard]] std::int32_t bar_width(std::uint32_t dpi) noexcept;

// The label column in pixels: the measured width, at least s(28).
[[nodiscard]] std::int32_t label_column_width(std::uint32_t dpi, std::int32_t measured) noexcept;

// Room the value column gains while pace is shown, for " · runs out 12/25 Thu 12:40pm".
inline constexpr std::int64_t RUN_OUT_TEXT_DIPS = 160;

// Label column, gap, bar, gap and value text: 301 px at 96 DPI with the narrowest label column
// (more `with_run_out`).
[[nodiscard]] std::int32_t column_width(std::uint32_t dpi, std::int32_t label_column = 0,
                                        bool with_run_out = false) noexcept;

// Left edge of the content (s(3) + s(10)); section x values are relative to it.
[[nodiscard]] std::int32_t content_left(std::uint32_t dpi) noexcept;

// Top of the content: section y values are relative to it.
[[nodiscard]] std::int32_t content_top(std::uint32_t dpi) noexcept;

// Bar rows of one account: 1 for a failed fetch (the "(unavailable)" line), else 5h and 7d plus
// one per model for Claude.
[[nodiscard]] std::size_t bar_row_count(const poller::UsageSnapshot& row) noexcept;

// Sections of the layout, wrapped into further columns (Vertical, Columns) or rows (Horizontal)
// where the work area ends; the panel never exceeds the work area.
[[nodiscard]] FittedPanel fit_panel(settings::PanelLayout layout,
                                    const std::vector<poller::UsageSnapshot>& rows, std::uint32_t dpi,
                                    const PanelFit& fit);

// The same without a work area and with the narrowest label column.
[[nodiscard]] std::vector<PanelSection> layout_sections(settings::PanelLayout layout,
                                                        const std::vector<poller::UsageSnapshot>& rows,
                                                        std::uint32_t dpi, bool with_run_out = false);

// The whole panel; 322 × 40 px at 96 DPI with no rows.
[[nodiscard]] Size panel_size(settings::PanelLayout layout, const std::vector<poller::UsageSnapshot>& rows,
                              std::uint32_t dpi, const PanelFit& fit = {});
[[nodiscard]] Size panel_size(const std::vector<PanelSection>& sections, std::uint32_t dpi);

// Width of a bar's fill: none at 0 % or below, else round(p × bar / 100) with p limited to
// 0-100, at least as wide as the bar is high and at most the whole bar.
[[nodiscard]] std::int32_t bar_fill_width(double percent, std::int32_t bar_width_px,
                                          std::int32_t bar_height_px) noexcept;

// The 1-DIP lines between sections (one fewer than there are sections), in panel pixels: across
// a column between its sections, down the panel between columns; for Horizontal, down a row
// between its sections and across the panel between rows.
[[nodiscard]] std::vector<state::Rect> separator_rects(settings::PanelLayout layout,
                                                       const std::vector<PanelSection>& sections, Size panel,
                                                       std::uint32_t dpi);

}  // namespace panel

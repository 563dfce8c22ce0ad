#include "panel/draw_plan.hpp"

#include <algorithm>

#include "localization/feature_texts.hpp"
#include "localization/more_accounts.hpp"
#include "localization/string_table.hpp"
#include "panel/pace_tick.hpp"
#include "panel/panel_metrics.hpp"
#include "poller/pace.hpp"
#include "state/dpi.hpp"

namespace panel {
namespace {

namespace m = metrics;

// Converting an instant to local time is a system call on Windows, and a frame converts the same
// instants again and again: `now` for every value text, and the same reset times frame after
// frame while the pin animates. Conversions are remembered for one second of frame time, so a
// changed time zone shows within a second; a different conversion function starts afresh.
class LocalTimeMemo {
  public:
    static constexpr platform::FileTime LIFETIME = platform::FILETIME_TICKS_PER_SECOND;
    static constexpr std::size_t CAPACITY = 64;

    void begin(localization::LocalTimeConversion conversion, platform::FileTime now) noexcept {
        if (conversion != convert_ || now < since_ || now - since_ >= LIFETIME) {
            convert_ = conversion;
            since_ = now;
            size_ = 0;
        }
    }

    std::optional<platform::LocalTime> convert(platform::FileTime instant) noexcept {
        for (std::size_t i = 0; i < size_; ++i) {
            if (entries_[i].instant == instant) {
                return entries_[i].local;
            }
        }
        const std::optional<platform::LocalTime> local = convert_(instant);
        if (size_ < CAPACITY) {
            entries_[size_++] = Entry{instant, local};
        }
        return local;
    }

  private:
    struct Entry {
        platform::FileTime instant = 0;
        std::optional<platform::LocalTime> local;
    };
    localization::LocalTimeConversion convert_ = nullptr;
    platform::FileTime since_ = 0;
    std::array<Entry, CAPACITY> entries_{};
    std::size_t size_ = 0;
};

thread_local LocalTimeMemo local_time_memo;

std::optional<platform::LocalTime> remembered_local_time(platform::FileTime instant) noexcept {
    return local_time_memo.convert(instant);
}

struct Planner {
    const PanelFrameInput& input;
    const PanelPalette& palette;
    const localization::StringTable& strings;
    localization::LocalTimeConversion to_local;
    std::int32_t label_column;
    std::vector<DrawCommand>& out;

    [[nodiscard]] std::int32_t s(std::int64_t dips) const noexcept {
        return state::scale_dip(dips, input.dpi);
    }

    void text(std::string value, state::Rect rect, Rgb colour, FontKind font = FontKind::Text,
              TextFit fit = TextFit::Clip) const {
        out.emplace_back(TextItem{std::move(value), rect, colour, font, fit});
    }

    // The dot (where the theme has one) and the title; returns the top of the first account.
    std::int32_t header(const PanelSection& section, std::int32_t x0, std::int32_t y) const {
        const std::optional<Rgb>& dot = section.is_claude ? palette.claude_dot : palette.codex_dot;
        std::int32_t text_left = x0;
        if (dot) {
            const std::int32_t d = s(m::HEADER_DOT);
            const std::int32_t top = y + (s(m::HEADER_HEIGHT) - d) / 2;
            out.emplace_back(RoundedRect{{x0, top, x0 + d, top + d}, d / 2, *dot});
            text_left = x0 + d + s(m::HEADER_DOT_GAP);
        }
        text(section.title, {text_left, y, x0 + section.width, y + s(m::HEADER_HEIGHT)},
             section.is_claude ? palette.claude_header : palette.codex_header, FontKind::Header);
        return y + s(m::HEADER_HEIGHT);
    }

    // Label, track, fill and value text of one usage window; returns the top of the next row.
    std::int32_t bar_row(std::string_view label, const poller::UsageBar& bar, platform::FileTime window_length,
                         bool is_claude, std::int32_t x0, std::int32_t y) const {
        const localization::FeatureTexts& texts = localization::feature_texts(input.language);
        const std::optional<poller::Pace> pace =
            input.show_pace ? poller::pace_of(bar, window_length, input.now) : std::nullopt;
        const std::int32_t row_height = s(m::BAR_ROW_HEIGHT);
        text(std::string(label), {x0, y, x0 + label_column, y + row_height}, palette.muted_text);
        const std::int32_t bx = x0 + label_column + s(m::LABEL_BAR_GAP);
        const std::int32_t bw = bar_width(input.dpi);
        const std::int32_t bh = s(palette.bar_height);
        const std::int32_t ty = y + (row_height - bh) / 2;
        const std::int32_t radius = std::max(bh / 2, 1);
        out.emplace_back(RoundedRect{{bx, ty, bx + bw, ty + bh}, radius, palette.bar_track});
        const double shown = localization::shown_percent(bar.percent, input.show_remaining);
        if (const std::int32_t fill = bar_fill_width(shown, bw, bh); fill > 0) {
            out.emplace_back(RoundedRect{{bx, ty, bx + fill, ty + bh},
                                         radius,
                                         is_claude ? palette.claude_accent : palette.codex_accent});
        }
        if (pace) {
            out.emplace_back(FillRect{pace_tick({bx, ty, bx + bw, ty + bh}, pace->expected_percent, s(1)),
                                      palette.value_text});
        }
        const std::int32_t vx = bx + bw + s(m::BAR_VALUE_GAP);
        const std::int32_t value_width = s(m::VALUE_COLUMN) + (input.show_pace ? s(RUN_OUT_TEXT_DIPS) : 0);
        text(localization::with_run_out(
                 localization::bar_value_text(bar, strings, texts, input.show_remaining, input.now, to_local),
                 " \u00B7 ", pace ? pace->runs_out_at : std::nullopt, input.now, texts, to_local),
             {vx, y, vx + value_width, y + row_height}, palette.value_text);
        return y + row_height + s(m::BAR_ROW_GAP);
    }

    void section(const PanelSection& section) const {
        const std::int32_t x0 = content_left(input.dpi) + section.x;
        std::int32_t y = header(section, x0, section.y + content_top(input.dpi));
        for (std::size_t k = 0; k < section.rows.size(); ++k) {
            const poller::UsageSnapshot& row = section.rows[k];
            if (k > 0) {
                y += s(m::ACCOUNT_GAP);
            }
            text(row.label.value_or(row.account_id), {x0, y, x0 + section.width, y + s(m::LABEL_LINE_HEIGHT)},
                 palette.label_text, FontKind::Text, TextFit::EndEllipsis);
            y += s(m::LABEL_LINE_HEIGHT) + s(m::LABEL_LINE_GAP);
            if (!row.usage) {
                text(std::string(UNAVAILABLE_TEXT), {x0, y, x0 + section.width, y + s(m::BAR_ROW_HEIGHT)},
                     palette.muted_text);
                y += s(m::BAR_ROW_HEIGHT) + s(m::BAR_ROW_GAP);
                continue;
            }
            y = bar_row(strings.window_5h, row.usage->five_hour, poller::FIVE_HOUR_WINDOW, section.is_claude, x0, y);
            y = bar_row(strings.window_7d, row.usage->seven_day, poller::SEVEN_DAY_WINDOW, section.is_claude, x0, y);
            if (row.provider == accounts::Provider::Claude) {
                for (const poller::ModelBar& model : row.usage->model_bars) {
                    y = bar_row(model.label, model.bar, poller::SEVEN_DAY_WINDOW, section.is_claude, x0, y);
                }
            }
        }
    }
};

}  // namespace

PinProgress pin_state(bool pinned, const std::optional<state::PinAnimation>& animation,
                      platform::FileTime now) noexcept {
    if (animation) {
        const platform::FileTime elapsed = now > animation->started ? now - animation->started : 0;
        const auto direction = animation->target_pinned ? PinDirection::Pinning : PinDirection::Unpinning;
        if (const auto running =
                pin_progress(elapsed / platform::FILETIME_TICKS_PER_MILLISECOND, direction)) {
            return *running;
        }
    }
    return PinProgress{pinned ? 1.0 : 0.0, 0.0};
}

DrawPlan build_draw_plan(const PanelFrameInput& input, const PinGeometry& pin_geometry,
                         localization::LocalTimeConversion to_local) {
    DrawPlan plan;
    plan.palette = palette_for(input.theme);
    const auto s = [&input](std::int64_t dips) { return state::scale_dip(dips, input.dpi); };
    PanelFit fit = input.fit;
    fit.with_run_out = input.show_pace;
    const FittedPanel fitted = fit_panel(input.layout, input.rows, input.dpi, fit);
    const std::vector<PanelSection>& sections = fitted.sections;
    plan.size = fitted.size;
    plan.corner_px = s(plan.palette.corner_radius);
    plan.font_height = s(m::FONT_HEIGHT);
    const std::int32_t w = plan.size.width;
    const std::int32_t h = plan.size.height;
    // Border, headers, separators and pin, and for each account its label and four bar rows of
    // five commands at most (with the pace tick): the list is never moved while it grows.
    plan.commands.reserve(8 + input.rows.size() * 22);

    if (plan.palette.border) {
        plan.commands.emplace_back(
            BorderFrame{{0, 0, w + 1, h + 1}, plan.corner_px, s(m::BORDER_THICKNESS), *plan.palette.border});
    }
    if (to_local != nullptr) {
        local_time_memo.begin(to_local, input.now);
        to_local = remembered_local_time;
    }
    const Planner planner{input,
                          plan.palette,
                          localization::string_table(input.language),
                          to_local,
                          label_column_width(input.dpi, input.fit.label_column),
                          plan.commands};
    if (sections.empty()) {
        planner.text(std::string(EMPTY_PANEL_HINT), {content_left(input.dpi), 0, w - s(m::RIGHT_EXTRA), h},
                     plan.palette.label_text);
    }
    for (const PanelSection& section : sections) {
        planner.section(section);
    }
    if (fitted.more_line) {
        const state::Rect& line = *fitted.more_line;
        const std::int32_t x = content_left(input.dpi);
        const std::int32_t y = content_top(input.dpi);
        planner.text(localization::more_accounts_text(input.language, fitted.hidden),
                     {x + line.left, y + line.top, x + line.right, y + line.bottom}, plan.palette.muted_text);
    }
    for (const state::Rect& line : separator_rects(input.layout, sections, plan.size, input.dpi)) {
        plan.commands.emplace_back(FillRect{line, plan.palette.separator});
    }

    const state::Rect box = pin_box(w, input.dpi);
    const PinProgress progress = pin_state(input.pinned, input.pin_animation, input.now);
    plan.commands.emplace_back(PinGlyph{box, pin_push_offset(pin_geometry, box.width(), progress),
                                        pin_clip_polygon(pin_geometry, box), plan.palette.codex_header});
    return plan;
}

}  // namespace panel

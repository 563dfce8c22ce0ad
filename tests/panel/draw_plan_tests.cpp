#include <gtest/gtest.h>

#include "panel/draw_plan.hpp"
#include "panel/size_change.hpp"

namespace {

using accounts::Provider;
using panel::DrawPlan;
using panel::PanelFrameInput;
using poller::UsageSnapshot;
using settings::PanelLayout;
using settings::PanelTheme;
using state::Rect;

constexpr platform::FileTime NOW = platform::FILETIME_UNIX_EPOCH + 1'765'000'000ULL * 10'000'000ULL;

// Local time is UTC here, so value texts do not depend on the machine's zone.
std::optional<platform::LocalTime> utc(platform::FileTime t) noexcept {
    const std::uint64_t s = platform::unix_seconds(t);
    const std::uint64_t days = s / 86400;
    // 2025-12-06 is day 20428 (a Saturday); only times on that day and the next few are used.
    const auto day = static_cast<std::int32_t>(days - 20428);
    return platform::LocalTime{2025,
                               12,
                               6 + day,
                               (6 + day) % 7,
                               static_cast<std::int32_t>(s % 86400 / 3600),
                               static_cast<std::int32_t>(s % 3600 / 60),
                               static_cast<std::int32_t>(s % 60)};
}

UsageSnapshot claude(std::string id, double five = 37, std::vector<double> models = {}) {
    poller::UsageData data;
    data.five_hour = {five, NOW + 7'500ULL * 10'000'000ULL};
    data.seven_day = {62, std::nullopt};
    for (std::size_t i = 0; i < models.size(); ++i) {
        data.model_bars.push_back({i == 0 ? "Opus" : "Sonnet", {models[i], std::nullopt}});
    }
    return UsageSnapshot{std::move(id), std::nullopt, data, Provider::Claude};
}

UsageSnapshot codex(std::string id, double five = 9) {
    poller::UsageData data;
    data.five_hour = {five, std::nullopt};
    return UsageSnapshot{std::move(id), "work@example.com", data, Provider::Codex};
}

UsageSnapshot failed(std::string id) {
    return UsageSnapshot{std::move(id), std::nullopt, std::nullopt, Provider::Claude};
}

DrawPlan plan_of(std::vector<UsageSnapshot> rows, PanelLayout layout = PanelLayout::Columns,
                 PanelTheme theme = PanelTheme::HybridDark, std::uint32_t dpi = 96) {
    PanelFrameInput input;
    input.rows = std::move(rows);
    input.layout = layout;
    input.theme = theme;
    input.dpi = dpi;
    input.now = NOW;
    return panel::build_draw_plan(input, panel::DEFAULT_PIN_GEOMETRY, utc);
}

template <typename T>
std::vector<T> all(const DrawPlan& plan) {
    std::vector<T> found;
    for (const auto& command : plan.commands) {
        if (const T* item = std::get_if<T>(&command)) {
            found.push_back(*item);
        }
    }
    return found;
}

std::vector<panel::TextItem> texts(const DrawPlan& plan) {
    return all<panel::TextItem>(plan);
}

TEST(DrawPlan, EmptyPanelHasBorderHintAndPin) {
    const DrawPlan plan = plan_of({});
    const panel::PanelPalette palette = panel::palette_for(PanelTheme::HybridDark);
    EXPECT_EQ(plan.size, (panel::Size{322, 40}));
    EXPECT_EQ(plan.corner_px, 11);
    ASSERT_EQ(plan.commands.size(), 3u);
    EXPECT_EQ(std::get<panel::BorderFrame>(plan.commands[0]),
              (panel::BorderFrame{{0, 0, 323, 41}, 11, 1, *palette.border}));
    EXPECT_EQ(std::get<panel::TextItem>(plan.commands[1]),
              (panel::TextItem{std::string(panel::EMPTY_PANEL_HINT), {13, 0, 314, 40}, palette.label_text}));
    const auto pin = std::get<panel::PinGlyph>(plan.commands[2]);
    EXPECT_EQ(pin.box, (Rect{300, 6, 316, 22}));
    EXPECT_EQ(pin.offset, (panel::Offset{0, 0}));
    EXPECT_EQ(pin.colour, palette.codex_header);

    const DrawPlan large = plan_of({}, PanelLayout::Columns, PanelTheme::HybridDark, 144);
    EXPECT_EQ(large.size, (panel::Size{12 + 15 + 454 + 5, 21 + 9 + 30}));
    EXPECT_EQ(large.font_height, 18);
    EXPECT_EQ(std::get<panel::PinGlyph>(large.commands.back()).box, (Rect{453, 9, 477, 33}));
}

// One Claude account with a model bar, HybridDark, 96 DPI:
//
//   y=6   (o) Claude                      dot (13,12)-(20,19), title from x 26
//   y=26  dev@example.com…                label, cut with an ellipsis
//   y=52  5h  [#####-----]  37% · 2h 5m   label 13-41, track 51-105 at rows 56-61, value from 109
//   y=75  7d  ...
//   y=98  Opus ...
TEST(DrawPlan, SectionHeaderLabelAndBarRows) {
    UsageSnapshot row = claude("claude-1", 50, {100});
    row.label = "dev@example.com";
    const DrawPlan plan = plan_of({row});
    const panel::PanelPalette p = panel::palette_for(PanelTheme::HybridDark);
    const auto rounded = all<panel::RoundedRect>(plan);
    const std::vector<panel::RoundedRect> expected_shapes = {
        {{13, 12, 20, 19}, 3, *p.claude_dot},
        {{51, 56, 105, 61}, 2, p.bar_track},
        {{51, 56, 78, 61}, 2, p.claude_accent},  // 5h at 50 %
        {{51, 79, 105, 84}, 2, p.bar_track},
        {{51, 79, 84, 84}, 2, p.claude_accent},  // 7d at 62 %: 33.48 px
        {{51, 102, 105, 107}, 2, p.bar_track},
        {{51, 102, 105, 107}, 2, p.claude_accent},  // Opus full
    };
    EXPECT_EQ(rounded, expected_shapes);

    using panel::FontKind;
    using panel::TextFit;
    const std::vector<panel::TextItem> expected_texts = {
        {"Claude", {26, 6, 314, 26}, p.claude_header, FontKind::Header, TextFit::Clip},
        {"dev@example.com", {13, 26, 314, 46}, p.label_text, FontKind::Text, TextFit::EndEllipsis},
        {"5h", {13, 52, 41, 65}, p.muted_text},
        {"50% · 2h 5m (7:51am)", {109, 52, 314, 65}, p.value_text},
        {"7d", {13, 75, 41, 88}, p.muted_text},
        {"62%", {109, 75, 314, 88}, p.value_text},
        {"Opus", {13, 98, 41, 111}, p.muted_text},
        {"100%", {109, 98, 314, 111}, p.value_text},
    };
    EXPECT_EQ(texts(plan), expected_texts);
    EXPECT_EQ(plan.size.height, 14 + 6 + 20 + 26 + 3 * 23);
}

// The frame is drawn for the same fit the panel was placed with: the same size, the measured
// label column, and the "+N more" line in the frame's language where accounts are left out.
TEST(DrawPlan, FollowsTheFitItIsGiven) {
    std::vector<UsageSnapshot> many;
    for (int i = 0; i < 30; ++i) {
        many.push_back(claude("claude-" + std::to_string(i + 1), 37, {10}));
    }
    struct Case {
        const char* name;
        std::vector<UsageSnapshot> rows;
        panel::PanelFit fit;
        localization::Language language;
        std::int32_t track_left;          // of the first bar
        std::optional<std::string> more;  // the last text
    };
    const Case cases[] = {
        {"narrowest labels",
         {claude("claude-1", 50, {100})},
         {},
         localization::Language::English,
         51,
         std::nullopt},
        {"labels 45 px wide",
         {claude("claude-1", 50, {100})},
         {std::nullopt, 45},
         localization::Language::English,
         13 + 45 + 10,
         std::nullopt},
        {"too many for the screen",
         many,
         {panel::Size{700, 500}, 0},
         localization::Language::English,
         51,
         "+22 more"},
        {"too many, in German",
         many,
         {panel::Size{700, 500}, 0},
         localization::Language::German,
         51,
         "+22 weitere"},
    };
    for (const Case& c : cases) {
        PanelFrameInput input;
        input.rows = c.rows;
        input.fit = c.fit;
        input.language = c.language;
        input.now = NOW;
        const DrawPlan plan = panel::build_draw_plan(input, panel::DEFAULT_PIN_GEOMETRY, utc);
        EXPECT_EQ(plan.size, panel::panel_size(input.layout, input.rows, 96, c.fit)) << c.name;
        if (c.fit.work) {
            EXPECT_LE(plan.size.height, c.fit.work->height) << c.name;
        }
        EXPECT_EQ(all<panel::RoundedRect>(plan).at(1).rect.left, c.track_left) << c.name;
        const auto text = texts(plan);
        EXPECT_EQ(text.back().text == c.more, c.more.has_value()) << c.name << ": " << text.back().text;
    }
}

TEST(DrawPlan, PaceTicksRunOutAndRemainingShares) {
    const panel::PanelPalette p = panel::palette_for(PanelTheme::HybridDark);
    struct Case {
        bool pace, remaining;
        std::vector<panel::FillRect> ticks;
        std::int32_t five_fill;
        const char* five_text;
        const char* seven_text;
        std::int32_t extra_width;
    };
    // 5h at 80 % with 2h 5m of 5h left: 58 % of the window gone, full at 6:30am.
    const Case cases[] = {
        {false, false, {}, 43, "80% · 2h 5m (7:51am)", "62%", 0},
        {true, false, {{{83, 55, 84, 62}, p.value_text}}, 43, "80% · 2h 5m (7:51am) · runs out 6:30am", "62%", 160},
        {false, true, {}, 11, "20% left · 2h 5m (7:51am)", "38% left", 0},
        {true, true, {{{83, 55, 84, 62}, p.value_text}}, 11, "20% left · 2h 5m (7:51am) · runs out 6:30am",
         "38% left", 160},
    };
    const DrawPlan plain = plan_of({claude("claude-1", 80)});
    for (const auto& c : cases) {
        PanelFrameInput input;
        input.rows = {claude("claude-1", 80)};
        input.now = NOW;
        input.show_pace = c.pace;
        input.show_remaining = c.remaining;
        const DrawPlan plan = panel::build_draw_plan(input, panel::DEFAULT_PIN_GEOMETRY, utc);
        std::vector<panel::FillRect> ticks = all<panel::FillRect>(plan);
        EXPECT_EQ(ticks, c.ticks) << c.five_text;
        const auto shapes = all<panel::RoundedRect>(plan);
        ASSERT_GE(shapes.size(), 3u);
        EXPECT_EQ(shapes[2].rect.width(), c.five_fill) << c.five_text;
        const auto items = texts(plan);
        ASSERT_GE(items.size(), 6u);
        EXPECT_EQ(items[3].text, c.five_text);
        EXPECT_EQ(items[3].rect.right, 314 + c.extra_width);
        EXPECT_EQ(items[5].text, c.seven_text);
        EXPECT_EQ(plan.size.width, plain.size.width + c.extra_width);
        panel::PanelFit fit;
        fit.with_run_out = c.pace;
        EXPECT_EQ(panel::panel_size(PanelLayout::Columns, input.rows, 96, fit), plan.size);
    }
}

TEST(DrawPlan, FailedAccountAndThemesWithoutDots) {
    const DrawPlan plan = plan_of({failed("claude-2")}, PanelLayout::Columns, PanelTheme::MacVibrancy);
    const panel::PanelPalette p = panel::palette_for(PanelTheme::MacVibrancy);
    EXPECT_TRUE(all<panel::RoundedRect>(plan).empty()) << "no dot, no bars";
    const std::vector<panel::TextItem> expected = {
        {"Claude", {13, 6, 314, 26}, p.claude_header, panel::FontKind::Header},
        {"claude-2", {13, 26, 314, 46}, p.label_text, panel::FontKind::Text, panel::TextFit::EndEllipsis},
        {"(unavailable)", {13, 52, 314, 65}, p.muted_text},
    };
    EXPECT_EQ(texts(plan), expected);
    EXPECT_EQ(plan.size.height, 20 + 20 + 20 + 6 + 13 + 10);
    EXPECT_EQ(std::get<panel::BorderFrame>(plan.commands.front()).radius, 12);
}

TEST(DrawPlan, FillWidthsClampAndKeepAMinimum) {
    struct Case {
        double percent;
        std::int32_t width;  // 0: no fill drawn
    };
    // Win11Fluent bars are 4 pixels high, so the minimum fill is 4 wide.
    const Case cases[] = {{0, 0}, {-3, 0}, {0.4, 4}, {1, 4}, {10, 5}, {50, 27}, {100, 54}, {130, 54}};
    for (const Case& c : cases) {
        const DrawPlan plan =
            plan_of({codex("codex-1", c.percent)}, PanelLayout::Columns, PanelTheme::Win11Fluent);
        const auto shapes = all<panel::RoundedRect>(plan);
        const panel::Rgb fill = panel::palette_for(PanelTheme::Win11Fluent).codex_accent;
        std::int32_t width = 0;
        for (const auto& shape : shapes) {
            if (shape.colour == fill && shape.rect.top == 56) {  // the 5h row
                width = shape.rect.width();
                EXPECT_EQ(shape.rect.left, 51);
                EXPECT_EQ(shape.rect.height(), 4);
            }
        }
        EXPECT_EQ(width, c.width) << c.percent;
    }
}

TEST(DrawPlan, SeparatorsFollowTheLayout) {
    const std::vector<UsageSnapshot> rows = {claude("claude-1"), codex("codex-1")};
    const panel::Rgb colour = panel::palette_for(PanelTheme::HybridDark).separator;

    const DrawPlan vertical = plan_of(rows, PanelLayout::Vertical);
    // The Claude section is 92 high: the line sits 6 + 92 + 12 down, from the content's left
    // edge to 8 short of the right.
    EXPECT_EQ(all<panel::FillRect>(vertical), (std::vector<panel::FillRect>{{{13, 110, 314, 111}, colour}}));

    const DrawPlan columns = plan_of(rows, PanelLayout::Columns);
    EXPECT_EQ(columns.size, (panel::Size{8 + 10 + 301 + 24 + 301 + 3, 14 + 6 + 92}));
    EXPECT_EQ(all<panel::FillRect>(columns),
              (std::vector<panel::FillRect>{{{326, 9, 327, columns.size.height - 9}, colour}}));
}

TEST(DrawPlan, HorizontalGivesEachAccountAColumn) {
    const DrawPlan plan =
        plan_of({claude("claude-1"), codex("codex-1"), claude("claude-2"), claude("claude-3")},
                PanelLayout::Horizontal);
    std::vector<std::pair<std::string, std::int32_t>> headers;
    for (const auto& text : texts(plan)) {
        if (text.font == panel::FontKind::Header) {
            headers.emplace_back(text.text, text.rect.left);
        }
    }
    // Columns 325 apart; the title follows the 7-pixel dot and a 6-pixel gap.
    const std::vector<std::pair<std::string, std::int32_t>> expected = {
        {"Claude", 26}, {"Claude", 351}, {"Claude", 676}, {"Codex", 1001}};
    EXPECT_EQ(headers, expected);
    EXPECT_EQ(all<panel::FillRect>(plan).size(), 3u);
    EXPECT_EQ(plan.size.width, 8 + 10 + 4 * 301 + 3 * 24 + 3);
}

TEST(DrawPlan, PinFollowsPinnedStateAndAnimation) {
    constexpr platform::FileTime MS = platform::FILETIME_TICKS_PER_MILLISECOND;
    struct Case {
        bool pinned;
        std::optional<state::PinAnimation> animation;
        panel::Offset offset;
    };
    const Case cases[] = {
        {false, std::nullopt, {0, 0}},
        {true, std::nullopt, {-5, 5}},
        {true, state::PinAnimation{NOW - 115 * MS, true}, {-1, 1}},    // progress 0.125
        {true, state::PinAnimation{NOW - 230 * MS, true}, {-5, 5}},    // fully pressed
        {true, state::PinAnimation{NOW - 5000 * MS, true}, {-5, 5}},   // finished: rest pinned
        {false, state::PinAnimation{NOW - 5000 * MS, false}, {0, 0}},  // finished: rest unpinned
        {false, state::PinAnimation{NOW + 1000 * MS, true}, {0, 0}},   // a start in the future is t = 0
    };
    for (const Case& c : cases) {
        PanelFrameInput input;
        input.now = NOW;
        input.pinned = c.pinned;
        input.pin_animation = c.animation;
        const DrawPlan plan = panel::build_draw_plan(input, panel::DEFAULT_PIN_GEOMETRY, utc);
        const auto pin = std::get<panel::PinGlyph>(plan.commands.back());
        EXPECT_EQ(pin.offset, c.offset) << c.pinned;
        EXPECT_EQ(pin.clip, panel::pin_clip_polygon(panel::DEFAULT_PIN_GEOMETRY, pin.box));
    }
}

// Two hours east of UTC.
std::optional<platform::LocalTime> utc_plus_2(platform::FileTime t) noexcept {
    return utc(t + 7'200ULL * 10'000'000ULL);
}

TEST(DrawPlan, ResetClocksFollowTheZoneAndTheTimeOfEachFrame) {
    // Conversions are remembered between frames; a different zone or a later frame must not see
    // what an earlier one remembered.
    PanelFrameInput input;
    input.rows = {claude("claude-1", 50)};
    input.now = NOW;
    const auto value = [&input](localization::LocalTimeConversion zone) {
        return texts(panel::build_draw_plan(input, panel::DEFAULT_PIN_GEOMETRY, zone))[3].text;
    };
    EXPECT_EQ(value(utc), "50% · 2h 5m (7:51am)");
    EXPECT_EQ(value(utc_plus_2), "50% · 2h 5m (9:51am)");
    EXPECT_EQ(value(utc), "50% · 2h 5m (7:51am)");
    EXPECT_EQ(value(nullptr), "50% · 2h 5m");
    input.now = NOW + 3'600ULL * 10'000'000ULL;
    EXPECT_EQ(value(utc), "50% · 1h 5m (7:51am)");
}

TEST(SizeChange, OnlyAVisiblePanelOfAKnownOtherSizeIsPlacedAgain) {
    const panel::Size now{322, 132};
    EXPECT_EQ(panel::size_change_line(panel::Size{322, 200}, now, true),
              "render_layered size changed Some((322, 200)) -> 322x132; re-anchoring");
    EXPECT_FALSE(panel::size_change_line(std::nullopt, now, true));
    EXPECT_FALSE(panel::size_change_line(now, now, true));
    EXPECT_FALSE(panel::size_change_line(panel::Size{322, 200}, now, false));
}

}  // namespace

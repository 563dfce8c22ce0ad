// Panel frames drawn with the real GDI (under Wine in the test run), checked pixel by pixel where
// geometry and colour are fixed. Wine draws text in a substitute font, so glyphs are not compared.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "native_interop/gdi_owners_win32.hpp"
#include "panel/panel_fonts_win32.hpp"
#include "panel/panel_frame_win32.hpp"
#include "panel/pin_win32.hpp"
#include "state/ui_values.hpp"
#include "support/gui_available_win32.hpp"

namespace {

using accounts::Provider;
using panel::PanelFrameInput;
using poller::UsageSnapshot;
using settings::PanelLayout;
using settings::PanelTheme;

constexpr platform::FileTime NOW = platform::FILETIME_UNIX_EPOCH + 1'765'000'000ULL * 10'000'000ULL;

std::optional<platform::LocalTime> fixed_zone(platform::FileTime) noexcept {
    return platform::LocalTime{2025, 12, 6, 6, 9, 0, 0};
}

UsageSnapshot account(std::string id, Provider provider, double five = 37) {
    poller::UsageData data;
    data.five_hour = {five, std::nullopt};
    data.seven_day = {62, std::nullopt};
    return UsageSnapshot{std::move(id), std::nullopt, data, provider};
}

PanelFrameInput input_of(std::vector<UsageSnapshot> rows, PanelTheme theme = PanelTheme::HybridDark,
                         PanelLayout layout = PanelLayout::Columns) {
    PanelFrameInput input;
    input.rows = std::move(rows);
    input.theme = theme;
    input.layout = layout;
    input.now = NOW;
    return input;
}

std::unique_ptr<panel::DibFrame> draw(const PanelFrameInput& input) {
    auto frame = panel::draw_panel_frame(input, fixed_zone);
    EXPECT_TRUE(frame);
    return frame;
}

std::uint32_t opaque(panel::Rgb colour) {
    return panel::pixel(colour, 255);
}

class PanelFrame : public testing::Test {
  protected:
    void SetUp() override { GAUGELET_SKIP_WITHOUT_GUI(); }
};

TEST_F(PanelFrame, EmptyPanelBackgroundBorderAndCornersPerTheme) {
    for (const auto theme : {PanelTheme::MacVibrancy, PanelTheme::Win11Fluent, PanelTheme::HybridDark,
                             PanelTheme::HybridLight}) {
        SCOPED_TRACE(static_cast<int>(theme));
        const panel::PanelPalette palette = panel::palette_for(theme);
        const auto frame = draw(input_of({}, theme));
        ASSERT_TRUE(frame);
        ASSERT_EQ(frame->width(), 322);
        ASSERT_EQ(frame->height(), 40);
        const panel::ImageView px = frame->pixels();
        // Right of the hint, left of the pin: every row is the background (the gradient rows of
        // Win11Fluent), between the top and bottom border rows.
        for (std::int32_t y = 1; y < 39; ++y) {
            EXPECT_EQ(px.at(250, y), opaque(panel::background_row(palette, y, 40))) << y;
        }
        EXPECT_EQ(px.at(250, 0), opaque(*palette.border)) << "top border";
        EXPECT_EQ(px.at(0, 20), opaque(*palette.border)) << "left border";
        EXPECT_EQ(px.at(321, 20), opaque(*palette.border)) << "right border";
        EXPECT_EQ(px.at(250, 39), opaque(*palette.border)) << "bottom border";
        EXPECT_EQ(px.at(0, 0), 0u) << "outer corner fully transparent";
        EXPECT_EQ(px.at(321, 39), 0u);
        EXPECT_EQ(px.at(161, 20) >> 24, 255u) << "opaque centre";

        // Inside the corner squares the alpha is the outline's coverage and colours are
        // premultiplied (never above the alpha).
        const std::int32_t k = static_cast<std::int32_t>(palette.corner_radius);
        for (std::int32_t y = 0; y < k; ++y) {
            for (std::int32_t x = 0; x < k; ++x) {
                const std::uint32_t value = px.at(x, y);
                const double cov = panel::corner_coverage(x, y, 322, 40, k);
                ASSERT_EQ(value >> 24, static_cast<std::uint32_t>(std::lround(255 * cov))) << x << "," << y;
                for (const int shift : {0, 8, 16}) {
                    ASSERT_LE((value >> shift) & 0xFF, value >> 24) << x << "," << y;
                }
            }
        }
    }
}

// The 5h bar of one Codex account sits at rows 56-60 (HybridDark, 5 high) from x 51, 54 wide.
TEST_F(PanelFrame, FillWidthsKeepAMinimumAndNeverPassTheBar) {
    const panel::PanelPalette palette = panel::palette_for(PanelTheme::HybridDark);
    const struct {
        double percent;
        std::int32_t width;
    } cases[] = {{0, 0}, {0.4, 5}, {1, 5}, {50, 27}, {130, 54}};
    for (const auto& c : cases) {
        const auto frame = draw(input_of({account("codex-1", Provider::Codex, c.percent)}));
        ASSERT_TRUE(frame);
        const panel::ImageView px = frame->pixels();
        std::int32_t filled = 0;
        for (std::int32_t x = 51; x < 105; ++x) {
            const std::uint32_t value = px.at(x, 58);
            filled += value == opaque(palette.codex_accent) ? 1 : 0;
            if (value != opaque(palette.codex_accent)) {
                EXPECT_EQ(value, opaque(palette.bar_track)) << c.percent << " at " << x;
            }
        }
        EXPECT_EQ(filled, c.width) << c.percent;
        EXPECT_EQ(px.at(51 + c.width / 2, 55), opaque(palette.background_top)) << "above the bar";
        EXPECT_EQ(px.at(51 + c.width / 2, 61), opaque(palette.background_top)) << "below the bar";
    }
}

TEST_F(PanelFrame, SeparatorsAndColumns) {
    const panel::PanelPalette p = panel::palette_for(PanelTheme::HybridDark);
    const std::uint32_t line = opaque(p.separator);
    const std::uint32_t background = opaque(p.background_top);

    const auto vertical =
        draw(input_of({account("claude-1", Provider::Claude), account("codex-1", Provider::Codex)},
                      PanelTheme::HybridDark, PanelLayout::Vertical));
    ASSERT_TRUE(vertical);
    const panel::ImageView v = vertical->pixels();
    for (const std::int32_t x : {13, 160, 313}) {
        EXPECT_EQ(v.at(x, 110), line) << x;
        EXPECT_EQ(v.at(x, 109), background) << x;
        EXPECT_EQ(v.at(x, 111), background) << x;
    }
    EXPECT_EQ(v.at(12, 110), background);
    EXPECT_EQ(v.at(314, 110), background);

    const auto columns =
        draw(input_of({account("claude-1", Provider::Claude), account("codex-1", Provider::Codex)},
                      PanelTheme::HybridDark, PanelLayout::Columns));
    ASSERT_TRUE(columns);
    const panel::ImageView c = columns->pixels();
    for (const std::int32_t y : {9, 60, c.height - 10}) {
        EXPECT_EQ(c.at(326, y), line) << y;
        EXPECT_EQ(c.at(325, y), background) << y;
        EXPECT_EQ(c.at(327, y), background) << y;
    }
    EXPECT_EQ(c.at(326, 8), background);
    EXPECT_EQ(c.at(326, c.height - 9), background);

    // Three Claude accounts and one Codex account side by side: four columns 325 apart, three
    // lines between them, each column's bar in its provider's colour.
    const auto horizontal =
        draw(input_of({account("claude-1", Provider::Claude), account("claude-2", Provider::Claude),
                       account("codex-1", Provider::Codex), account("claude-3", Provider::Claude)},
                      PanelTheme::HybridDark, PanelLayout::Horizontal));
    ASSERT_TRUE(horizontal);
    const panel::ImageView h = horizontal->pixels();
    ASSERT_EQ(h.width, 8 + 10 + 4 * 301 + 3 * 24 + 3);
    for (std::int32_t column = 0; column < 4; ++column) {
        const std::int32_t x0 = 13 + column * 325;
        EXPECT_EQ(h.at(x0 + 38 + 2, 58), opaque(column < 3 ? p.claude_accent : p.codex_accent)) << column;
        if (column < 3) {
            const std::int32_t separator = x0 + 301 + 12;
            EXPECT_EQ(h.at(separator, 9), line) << column;
            EXPECT_EQ(h.at(separator, h.height - 10), line) << column;
            EXPECT_EQ(h.at(separator, 8), background) << column;
            EXPECT_EQ(h.at(separator, h.height - 9), background) << column;
            EXPECT_EQ(h.at(separator - 1, 40), background) << column;
            EXPECT_EQ(h.at(separator + 1, 40), background) << column;
        }
    }
}

// Pixels of the pin's neighbourhood that the glyph drew on.
std::vector<panel::Point> pin_ink(const panel::DibFrame& frame, const panel::PanelPalette& palette) {
    std::vector<panel::Point> ink;
    const panel::ImageView px = frame.pixels();
    const auto k = static_cast<std::int32_t>(palette.corner_radius);
    for (std::int32_t y = 1; y < px.height - 1; ++y) {
        for (std::int32_t x = 280; x < px.width - 1; ++x) {
            const bool corner = x >= px.width - k && y < k;  // border and rounded alpha
            if (!corner && px.at(x, y) != opaque(panel::background_row(palette, y, px.height))) {
                ink.push_back({x, y});
            }
        }
    }
    return ink;
}

TEST_F(PanelFrame, PinIsPublishedAndClippedAtTheTipWhenPinned) {
    state::ui_values().pin_rect.set(std::nullopt);
    const panel::PanelPalette palette = panel::palette_for(PanelTheme::HybridDark);
    PanelFrameInput input = input_of({});
    const auto unpinned = draw(input);
    ASSERT_TRUE(unpinned);
    EXPECT_EQ(state::ui_values().pin_rect.get(), (state::Rect{300, 6, 316, 22}));

    input.pinned = true;
    const auto pinned = draw(input);
    ASSERT_TRUE(pinned);
    const auto polygon = panel::pin_clip_polygon(panel::pin_geometry(), {300, 6, 316, 22});
    const auto inside = [&polygon](double x, double y) {
        int sign = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            const auto& a = polygon[i];
            const auto& b = polygon[(i + 1) % 4];
            const double cross = (b.x - a.x) * (y - a.y) - (b.y - a.y) * (x - a.x);
            const int s = cross > 0 ? 1 : cross < 0 ? -1 : 0;
            if (s != 0 && sign != 0 && s != sign) {
                return false;
            }
            sign = s != 0 ? s : sign;
        }
        return true;
    };
    const auto before = pin_ink(*unpinned, palette);
    const auto after = pin_ink(*pinned, palette);
    ASSERT_FALSE(before.empty()) << "a glyph was drawn";
    ASSERT_FALSE(after.empty());
    for (const auto& point : after) {
        EXPECT_TRUE(inside(point.x + 0.5, point.y + 0.5)) << point.x << "," << point.y;
    }
    EXPECT_LT(after.size(), before.size()) << "the pushed-in tip is hidden";
    EXPECT_EQ(state::ui_values().pin_rect.get(), (state::Rect{300, 6, 316, 22}));
}

// Rightmost column a one-line text drew on, executed alone on a plain background.
std::int32_t text_extent(const std::string& text) {
    panel::DrawPlan plan;
    plan.size = {300, 30};
    plan.palette = panel::palette_for(PanelTheme::HybridDark);
    plan.font_height = 12;
    plan.commands.emplace_back(panel::TextItem{text, {0, 0, 300, 30}, {255, 255, 255}});
    const auto frame = panel::DibFrame::create(300, 30);
    EXPECT_TRUE(frame);
    if (!frame) {
        return -1;
    }
    panel::execute_draw_plan(plan, frame->dc(), frame->pixels());
    const panel::ImageView px = frame->pixels();
    std::int32_t extent = -1;
    for (std::int32_t y = 0; y < 30; ++y) {
        for (std::int32_t x = 0; x < 300; ++x) {
            if (px.at(x, y) != opaque(plan.palette.background_top)) {
                extent = std::max(extent, x);
            }
        }
    }
    return extent;
}

TEST_F(PanelFrame, AmpersandsInLabelsAreDrawnAsThemselves) {
    // As a mnemonic prefix "&&" would draw one "&": eight would look like four.
    EXPECT_GT(text_extent("&&&&&&&&"), text_extent("&&&&") + 10);
    EXPECT_GT(text_extent("a&b"), text_extent("ab"));
}

TEST_F(PanelFrame, HigherDpiScalesTheFrame) {
    PanelFrameInput input = input_of({});
    input.dpi = 144;
    const auto frame = draw(input);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->width(), 486);
    EXPECT_EQ(frame->height(), 60);
    EXPECT_EQ(state::ui_values().pin_rect.get(), (state::Rect{453, 9, 477, 33}));
}

TEST_F(PanelFrame, AThousandFramesLeaveNoGdiObjectBehind) {
    const PanelFrameInput input =
        input_of({account("claude-1", Provider::Claude), account("codex-1", Provider::Codex)});
    PanelFrameInput at_144 = input;
    at_144.dpi = 144;
    // The first frames make what stays for the process: the pin's measurement and the fonts of
    // both DPIs.
    ASSERT_TRUE(panel::draw_panel_frame(input, fixed_zone));
    ASSERT_TRUE(panel::draw_panel_frame(at_144, fixed_zone));
    const std::int64_t owned = native_interop::owned_counts().gdi_objects.load();
    const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    std::unique_ptr<panel::DibFrame> kept;
    for (int i = 0; i < 1000; ++i) {
        ASSERT_TRUE(panel::draw_panel_frame(i % 2 == 0 ? input : at_144, fixed_zone));
        ASSERT_TRUE(panel::redraw_panel_frame(kept, i % 3 == 0 ? at_144 : input, fixed_zone));
    }
    kept.reset();
    EXPECT_EQ(native_interop::owned_counts().gdi_objects.load(), owned);
    EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), reported) << "0 under Wine";
}

TEST_F(PanelFrame, TheFontsKeptForManyDpisStayBounded) {
    PanelFrameInput input = input_of({account("claude-1", Provider::Claude)});
    const std::int64_t owned = native_interop::owned_counts().gdi_objects.load();
    for (std::uint32_t dpi = 96; dpi <= 96 * 4; dpi += 12) {
        input.dpi = dpi;
        ASSERT_TRUE(panel::draw_panel_frame(input, fixed_zone)) << dpi;
    }
    EXPECT_LE(native_interop::owned_counts().gdi_objects.load(),
              owned + static_cast<std::int64_t>(panel::PANEL_FONT_CACHE_CAPACITY));
}

TEST_F(PanelFrame, AKeptSectionIsReplacedOnlyWhenTheSizeChanges) {
    const PanelFrameInput one = input_of({account("claude-1", Provider::Claude)});
    const PanelFrameInput two =
        input_of({account("claude-1", Provider::Claude), account("codex-1", Provider::Codex)});
    std::unique_ptr<panel::DibFrame> kept;
    ASSERT_TRUE(panel::redraw_panel_frame(kept, one, fixed_zone));
    const panel::DibFrame* first = kept.get();
    ASSERT_TRUE(panel::redraw_panel_frame(kept, one, fixed_zone));
    EXPECT_EQ(kept.get(), first);
    ASSERT_TRUE(panel::redraw_panel_frame(kept, two, fixed_zone));
    EXPECT_EQ(kept->width(), panel::panel_size(two.layout, two.rows, 96).width);
    // Every pixel is drawn again: after another theme of the same size, the kept frame equals a
    // new one of the same input.
    PanelFrameInput other_theme = two;
    other_theme.theme = PanelTheme::Win11Fluent;
    other_theme.pinned = true;
    ASSERT_TRUE(panel::redraw_panel_frame(kept, other_theme, fixed_zone));
    const auto fresh = draw(two);
    ASSERT_TRUE(fresh);
    ASSERT_TRUE(panel::redraw_panel_frame(kept, two, fixed_zone));
    const panel::ImageView a = kept->pixels();
    const panel::ImageView b = fresh->pixels();
    EXPECT_TRUE(std::equal(a.pixels.begin(), a.pixels.end(), b.pixels.begin(), b.pixels.end()));
}

// What the window does frame after frame: a kept section redrawn where its input changed must
// come out as a frame drawn whole, pixel for pixel, whatever changed in between.
TEST_F(PanelFrame, AKeptFrameRedrawnAfterEachChangeEqualsANewFrame) {
    using Step = void (*)(PanelFrameInput&);
    struct Case {
        const char* name;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"the clock ticks past minutes",
         {[](PanelFrameInput& in) { in.now += 61 * platform::FILETIME_TICKS_PER_SECOND; },
          [](PanelFrameInput& in) { in.now += 3600 * platform::FILETIME_TICKS_PER_SECOND; }}},
        {"a poll changes the values",
         {[](PanelFrameInput& in) { in.rows[0].usage->five_hour.percent = 99; }}},
        {"the pin animates",
         {[](PanelFrameInput& in) {
              in.pin_animation = state::PinAnimation{NOW, true};
          },
          [](PanelFrameInput& in) { in.now += 100 * platform::FILETIME_TICKS_PER_MILLISECOND; },
          [](PanelFrameInput& in) { in.now += 150 * platform::FILETIME_TICKS_PER_MILLISECOND; },
          [](PanelFrameInput& in) {
              in.pin_animation.reset();
              in.pinned = true;
          }}},
        {"a label gets an ellipsis, an account fails",
         {[](PanelFrameInput& in) { in.rows[1].label = std::string(90, 'w') + "@example.com"; },
          [](PanelFrameInput& in) { in.rows[0].usage.reset(); }}},
        {"another theme", {[](PanelFrameInput& in) { in.theme = PanelTheme::Win11Fluent; }}},
    };
    for (const Case& c : cases) {
        PanelFrameInput input =
            input_of({account("claude-1", Provider::Claude), account("claude-2", Provider::Claude),
                      account("codex-1", Provider::Codex)});
        for (UsageSnapshot& row : input.rows) {
            row.usage->five_hour.resets_at = NOW + 7'500ULL * platform::FILETIME_TICKS_PER_SECOND;
        }
        std::unique_ptr<panel::DibFrame> kept;
        ASSERT_TRUE(panel::redraw_panel_frame(kept, input, fixed_zone));
        for (std::size_t k = 0; k < c.steps.size(); ++k) {
            c.steps[k](input);
            state::ui_values().pin_rect.set(state::Rect{});
            ASSERT_TRUE(panel::redraw_panel_frame(kept, input, fixed_zone));
            EXPECT_EQ(state::ui_values().pin_rect.get(), (state::Rect{625, 6, 641, 22}))
                << "published even where the pin was not drawn again";
            const auto fresh = draw(input);
            ASSERT_TRUE(fresh);
            const panel::ImageView a = kept->pixels();
            const panel::ImageView b = fresh->pixels();
            EXPECT_TRUE(std::equal(a.pixels.begin(), a.pixels.end(), b.pixels.begin(), b.pixels.end()))
                << c.name << ", step " << k;
        }
    }
}

}  // namespace

#include <gtest/gtest.h>

#include "panel/image.hpp"
#include "panel/palette.hpp"
#include "state/dpi.hpp"

namespace {

using panel::Rgb;
using settings::PanelTheme;

TEST(ParseHexColour, ReadsThreeComponentsAndZeroesWhatIsNotHex) {
    const std::pair<const char*, Rgb> cases[] = {
        {"#D97757", {0xD9, 0x77, 0x57}},
        {"d97757", {0xD9, 0x77, 0x57}},
        {"##ffFF00", {0xFF, 0xFF, 0x00}},
        {"#zz7757", {0x00, 0x77, 0x57}},
        {"#D977", {0xD9, 0x77, 0x00}},
        {"#D", {0, 0, 0}},
        {"", {0, 0, 0}},
        {"###", {0, 0, 0}},
        {"#-17757", {0, 0x77, 0x57}},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(panel::parse_hex_colour(text), expected) << text;
    }
}

TEST(PaletteFor, DotsOnlyInTheHybridThemesAndOutOfRangeIsMacVibrancy) {
    const panel::PanelPalette mac = panel::palette_for(PanelTheme::MacVibrancy);
    const panel::PanelPalette light = panel::palette_for(PanelTheme::HybridLight);
    EXPECT_FALSE(mac.claude_dot);
    EXPECT_FALSE(panel::palette_for(PanelTheme::Win11Fluent).codex_dot);
    EXPECT_EQ(light.claude_dot, (Rgb{0xD9, 0x77, 0x57}));
    EXPECT_EQ(light.codex_dot, (Rgb{0x55, 0x55, 0x5E}));
    EXPECT_EQ(panel::palette_for(PanelTheme::HybridDark).codex_dot, (Rgb{0xC9, 0xC9, 0xD0}));
    EXPECT_EQ(panel::palette_for(static_cast<PanelTheme>(9)), mac);
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(panel::palette_for(static_cast<PanelTheme>(i)).border) << i;
    }
    struct Shape {
        PanelTheme theme;
        std::uint32_t radius, bar;
        Rgb value_text;
    };
    const Shape shapes[] = {
        {PanelTheme::MacVibrancy, 12, 5, {0xC7, 0xC7, 0xCC}},
        {PanelTheme::Win11Fluent, 8, 4, {0xDC, 0xDC, 0xE0}},
        {PanelTheme::HybridDark, 11, 5, {0xCD, 0xCD, 0xD4}},
        {PanelTheme::HybridLight, 11, 5, {0x3A, 0x3A, 0x40}},
    };
    for (const Shape& s : shapes) {
        const auto p = panel::palette_for(s.theme);
        EXPECT_EQ(p.corner_radius, s.radius);
        EXPECT_EQ(p.bar_height, s.bar);
        EXPECT_EQ(p.value_text, s.value_text);
    }
}

TEST(Background, GradientRowsRoundHalfAwayAndOneRowIsTheTop) {
    const panel::PanelPalette fluent = panel::palette_for(PanelTheme::Win11Fluent);  // 2B2B30 -> 202024
    EXPECT_EQ(panel::background_row(fluent, 0, 1), (Rgb{0x2B, 0x2B, 0x30}));
    EXPECT_EQ(panel::background_row(fluent, 0, 3), (Rgb{0x2B, 0x2B, 0x30}));
    // Middle of three rows: 43 + (32 - 43) / 2 = 37.5 -> 38; 48 + (36 - 48) / 2 = 42.
    EXPECT_EQ(panel::background_row(fluent, 1, 3), (Rgb{38, 38, 42}));
    EXPECT_EQ(panel::background_row(fluent, 2, 3), (Rgb{0x20, 0x20, 0x24}));

    panel::Image image(2, 3);
    panel::fill_background(image, fluent);
    EXPECT_EQ(image.at(1, 1), panel::pixel({38, 38, 42}, 0xFF));
    EXPECT_EQ(image.at(0, 2), panel::pixel({0x20, 0x20, 0x24}, 0xFF));
    EXPECT_EQ(panel::background_rows(fluent, 3),
              (std::vector<std::uint32_t>{image.at(0, 0), image.at(0, 1), image.at(0, 2)}));
    panel::Image solid(2, 2);
    panel::fill_background(solid, panel::palette_for(PanelTheme::HybridLight));
    for (const std::uint32_t value : solid.pixels) {
        EXPECT_EQ(value, 0xFFFBFBFDu) << "opaque";
    }
}

TEST(Scale, RoundsHalvesAwayFromZeroAndClamps) {
    struct Case {
        std::uint32_t dpi;
        std::int64_t dips;
        std::int32_t expected;
    };
    const Case cases[] = {
        {96, 13, 13},
        {144, 1, 2},
        {144, 3, 5},
        {144, 10, 15},
        {120, 6, 8},
        {120, 2, 3},
        {144, -1, -2},
        {120, -2, -3},
        {72, 3, 2},
        {0, 100, 0},
        {168, 205, 359},
        {96, 0, 0},
        {4000000000u, 2000000000, 2147483647},
        {4000000000u, -2000000000, -2147483647 - 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(state::scale_dip(c.dips, c.dpi), c.expected) << c.dpi << " " << c.dips;
    }
}

}  // namespace

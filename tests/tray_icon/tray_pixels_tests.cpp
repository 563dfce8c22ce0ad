#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "panel/palette.hpp"
#include "tray_icon/tray_pixels.hpp"

namespace {

using tray_icon::TrayIconSpec;

constexpr panel::Rgb CLAUDE{0xD9, 0x77, 0x57};
constexpr panel::Rgb CODEX{0x10, 0xA3, 0x7F};
constexpr std::uint32_t TRACK = tray_icon::tray_pixel(tray_icon::TRAY_TRACK_COLOUR);

TrayIconSpec gauge(panel::Rgb colour, double primary, std::optional<double> secondary) {
    TrayIconSpec spec;
    spec.has_usage = true;
    spec.colour = colour;
    spec.primary = primary;
    spec.two_bars = secondary.has_value();
    spec.secondary = secondary.value_or(0.0);
    return spec;
}

// Per pixel row: how many pixels from the left carry the fill, and whether the row has the
// track at all (false: a transparent gap).
struct Row {
    std::int32_t fill;
    bool track;
};

std::vector<Row> rows_of(const std::vector<std::uint32_t>& pixels, panel::Rgb colour) {
    std::vector<Row> rows;
    for (std::int32_t y = 0; y < tray_icon::TRAY_ICON_SIZE; ++y) {
        Row row{0, false};
        for (std::int32_t x = 0; x < tray_icon::TRAY_ICON_SIZE; ++x) {
            const std::uint32_t p = pixels[static_cast<std::size_t>(y * tray_icon::TRAY_ICON_SIZE + x)];
            if (p == tray_icon::tray_pixel(colour) && x == row.fill) {
                ++row.fill;
            } else if (p == TRACK) {
                row.track = true;
            } else {
                EXPECT_EQ(p, 0u) << "stray pixel at " << x << "," << y;
            }
        }
        rows.push_back(row);
    }
    return rows;
}

TEST(TrayPixels, PaintsOneOrTwoBarsWithTheirFills) {
    struct Case {
        const char* name;
        TrayIconSpec spec;
        Row first;                  // rows 0-29 (0-63 for one bar)
        std::optional<Row> second;  // rows 34-63
    };
    const Case cases[] = {
        {"50 / 1", gauge(CLAUDE, 50, 1), {32, true}, Row{1, true}},
        {"0.7 / 130", gauge(CODEX, 0.7, 130), {0, true}, Row{64, false}},  // 0.448 px rounds to none
        {"one bar 37", gauge(CODEX, 37, std::nullopt), {24, true}, std::nullopt},
        {"one bar below zero", gauge(CLAUDE, -5, std::nullopt), {0, true}, std::nullopt},
    };
    for (const Case& c : cases) {
        std::vector<std::uint32_t> pixels(64 * 64, 0);
        tray_icon::paint_tray_bars(pixels, c.spec);
        const std::vector<Row> rows = rows_of(pixels, c.spec.colour);
        for (std::int32_t y = 0; y < 64; ++y) {
            Row expected = c.first;
            if (c.second && y >= 30) {
                expected = (y < 34) ? Row{0, false} : *c.second;  // the 4-pixel gap stays empty
            }
            EXPECT_EQ(rows[static_cast<std::size_t>(y)].fill, expected.fill) << c.name << " row " << y;
            EXPECT_EQ(rows[static_cast<std::size_t>(y)].track, expected.track) << c.name << " row " << y;
        }
    }
}

TEST(TrayPixels, PaintsNothingWithoutUsageOrIntoTheWrongSize) {
    std::vector<std::uint32_t> pixels(64 * 64, 0);
    TrayIconSpec no_usage = gauge(CLAUDE, 50, 50);
    no_usage.has_usage = false;
    tray_icon::paint_tray_bars(pixels, no_usage);
    EXPECT_EQ(pixels, std::vector<std::uint32_t>(64 * 64, 0));
    std::vector<std::uint32_t> small(32 * 32, 0);
    tray_icon::paint_tray_bars(small, gauge(CLAUDE, 50, 50));
    EXPECT_EQ(small, std::vector<std::uint32_t>(32 * 32, 0));
}

TEST(TrayPixels, DrawnPixelsBecomeOpaqueAndEmptyOnesStayTransparent) {
    // Anti-aliased glyph edges are dark but not black: they too become opaque.
    std::array<std::uint32_t, 5> pixels = {0x00000000, 0x004A4A4A, 0x00010000, 0x00000001, 0x80FFFFFF};
    tray_icon::make_drawn_pixels_opaque(pixels);
    EXPECT_EQ(pixels,
              (std::array<std::uint32_t, 5>{0x00000000, 0xFF4A4A4A, 0xFF010000, 0xFF000001, 0xFFFFFFFF}));
}

}  // namespace

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "panel/image.hpp"

namespace {

constexpr std::uint32_t GREY = 0x00808080;

TEST(RoundedAlpha, CornersArePremultipliedAndTheRestOpaque) {
    // 10 × 8 with radius 3: corner squares of 3 × 3 pixels.
    panel::Image image(10, 8);
    std::fill(image.pixels.begin(), image.pixels.end(), GREY);
    panel::apply_rounded_alpha(image, 3);

    // Alpha after the pass: # opaque, . transparent, + partial. Corner centres are (3, 3) and
    // (6, 4): the lower corners sit one row lower, as the outline's bottom edge is exclusive.
    const char* expected[8] = {
        "..+####+..",  //
        ".+######+.",  //
        "+########+",  //
        "##########",  //
        "##########",  //
        "+########+",  //
        ".+######+.",  //
        "..+####+..",  //
    };
    for (std::int32_t y = 0; y < 8; ++y) {
        for (std::int32_t x = 0; x < 10; ++x) {
            const std::uint32_t alpha = image.at(x, y) >> 24;
            const char seen = alpha == 255 ? '#' : alpha == 0 ? '.' : '+';
            EXPECT_EQ(seen, expected[y][x]) << x << "," << y;
        }
    }
    // (2, 0) is sqrt(10) from (3, 3): coverage 3.5 - 3.162, alpha and colour scaled by it.
    const double cov = 3.5 - std::sqrt(10.0);
    EXPECT_NEAR(panel::corner_coverage(2, 0, 10, 8, 3), cov, 1e-12);
    const auto a = static_cast<std::uint32_t>(std::lround(255 * cov));
    const auto c = static_cast<std::uint32_t>(std::lround(0x80 * cov));
    EXPECT_EQ(image.at(2, 0), (a << 24) | (c << 16) | (c << 8) | c);
    EXPECT_EQ(image.at(0, 0), 0u) << "fully outside: every byte zero";
    EXPECT_EQ(image.at(5, 4), 0xFF000000u | GREY);
}

TEST(RoundedAlpha, RadiusIsLimitedToHalfTheShorterSideAndZeroIsSquare) {
    EXPECT_DOUBLE_EQ(panel::corner_coverage(0, 0, 10, 10, 0), 1.0);
    EXPECT_DOUBLE_EQ(panel::corner_coverage(5, 5, 10, 10, 5), 1.0) << "outside every corner square";
    panel::Image square(4, 4);
    panel::apply_rounded_alpha(square, 0);
    for (const std::uint32_t value : square.pixels) {
        EXPECT_EQ(value, 0xFF000000u);
    }
    panel::Image thin(20, 4);
    std::fill(thin.pixels.begin(), thin.pixels.end(), GREY);
    panel::apply_rounded_alpha(thin, 100);  // limited to 2
    EXPECT_EQ(thin.at(0, 0), 0u);
    EXPECT_EQ(thin.at(10, 0) >> 24, 255u);
    EXPECT_EQ(thin.at(2, 2) >> 24, 255u);
    panel::Image empty(0, 0);
    panel::apply_rounded_alpha(empty, 12);
    EXPECT_TRUE(empty.pixels.empty());
}

}  // namespace

namespace {

TEST(ImageView, PassesWorkInPlaceOnCallerMemoryAndRefuseShortBuffers) {
    // A DIB section's bits stand in as a plain array the passes must change where it lies.
    std::array<std::uint32_t, 6 * 4> bits{};
    bits.fill(GREY);
    panel::apply_rounded_alpha(panel::ImageView(6, 4, std::span(bits)), 2);
    EXPECT_EQ(bits[0], 0u) << "corner cleared in the caller's buffer";
    EXPECT_EQ(bits[2 * 6 + 3], 0xFF000000u | GREY);

    panel::fill_background(panel::ImageView(6, 4, std::span(bits)),
                           panel::palette_for(settings::PanelTheme::HybridLight));
    EXPECT_EQ(bits[0], panel::pixel(panel::parse_hex_colour("#FBFBFD"), 0xFF));

    // Only the areas named: the background rows inside them, alpha set inside the others.
    bits.fill(GREY);
    const std::uint32_t rows[4] = {0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004};
    const state::Rect areas[] = {{1, 1, 3, 3}, {5, 3, 9, 9}};
    const panel::ImageView view(6, 4, std::span(bits));
    panel::fill_rows(view, rows, areas);
    EXPECT_EQ(bits[1 * 6 + 2], rows[1]);
    EXPECT_EQ(bits[3 * 6 + 5], rows[3]) << "an area past the edge is cut at it";
    EXPECT_EQ(bits[0], GREY);
    bits.fill(GREY);
    panel::make_opaque(view, areas);
    EXPECT_EQ(bits[2 * 6 + 1], 0xFF000000u | GREY);
    EXPECT_EQ(bits[2 * 6 + 3], GREY);
    panel::round_corners(view, 2, {false, true, false, false});
    EXPECT_EQ(bits[5], 0u) << "top-right corner rounded";
    EXPECT_EQ(bits[0], GREY) << "top-left corner left";

    const panel::ImageView too_short(6, 5, std::span(bits));
    EXPECT_EQ(too_short.width, 0) << "a size the buffer cannot hold gives an empty view";
    EXPECT_TRUE(too_short.pixels.empty());
    panel::apply_rounded_alpha(too_short, 2);  // nothing to do, nothing overrun
}

}  // namespace

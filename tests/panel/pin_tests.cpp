#include <gtest/gtest.h>

#include <cmath>

#include "panel/pin.hpp"

namespace {

using panel::PinDirection;
using panel::PinProgress;

TEST(Pin, BoxIsTheHitRectangle) {
    EXPECT_EQ(panel::pin_box(322, 96), (state::Rect{300, 6, 316, 22}));
    EXPECT_EQ(panel::pin_box(483, 144), (state::Rect{483 - 9 - 24, 9, 483 - 9, 33}));
}

TEST(Pin, ProgressEasesInOvershootsOnceAndFinishes) {
    struct Case {
        std::uint64_t t;
        PinDirection direction;
        std::optional<PinProgress> expected;
    };
    const Case cases[] = {
        {0, PinDirection::Pinning, PinProgress{0.0, 0.0}},
        {115, PinDirection::Pinning, PinProgress{0.125, 0.0}},
        {230, PinDirection::Pinning, PinProgress{1.0, 0.0}},
        {305, PinDirection::Pinning, PinProgress{1.0, 0.07}},
        {380, PinDirection::Pinning, std::nullopt},
        {5000, PinDirection::Pinning, std::nullopt},
        {0, PinDirection::Unpinning, PinProgress{1.0, 0.0}},
        {105, PinDirection::Unpinning, PinProgress{0.125, 0.0}},
        {210, PinDirection::Unpinning, std::nullopt},
    };
    for (const Case& c : cases) {
        const auto got = panel::pin_progress(c.t, c.direction);
        ASSERT_EQ(got.has_value(), c.expected.has_value()) << c.t;
        if (got) {
            EXPECT_NEAR(got->progress, c.expected->progress, 1e-12) << c.t;
            EXPECT_NEAR(got->wobble, c.expected->wobble, 1e-12) << c.t;
        }
    }
    const auto late = panel::pin_progress(379, PinDirection::Pinning);
    ASSERT_TRUE(late);
    EXPECT_GT(late->wobble, 0.0);
    EXPECT_LT(late->wobble, 0.01) << "the bounce has nearly returned";
}

TEST(Pin, DefaultGeometryPushesTowardsTheLowerLeftTip) {
    const auto& g = panel::DEFAULT_PIN_GEOMETRY;
    EXPECT_EQ(panel::pin_push_offset(g, 16, {0.0, 0.0}), (panel::Offset{0, 0}));
    // k = 0.375 × 1.137 × 16 = 6.822: (−4.81, 4.84) rounds to (−5, 5).
    EXPECT_EQ(panel::pin_push_offset(g, 16, {1.0, 0.0}), (panel::Offset{-5, 5}));
    EXPECT_EQ(panel::pin_push_offset(g, 16, {1.0, 0.07}), (panel::Offset{-5, 5}));
    EXPECT_EQ(panel::pin_push_offset(g, 24, {1.0, 0.0}), (panel::Offset{-7, 7}));
}

// Inside the convex clip polygon, whichever way round its points go.
bool inside(const std::array<panel::Point, 4>& polygon, double x, double y) {
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
}

TEST(Pin, ClipKeepsTheBodyAndHidesAPushedTip) {
    const auto& g = panel::DEFAULT_PIN_GEOMETRY;
    const state::Rect box = panel::pin_box(322, 96);
    const auto polygon = panel::pin_clip_polygon(g, box);
    const double tip_x = g.tip_x * 16 + box.left;
    const double tip_y = g.tip_y * 16 + box.top;
    EXPECT_TRUE(inside(polygon, 308, 14)) << "the glyph's middle";
    EXPECT_TRUE(inside(polygon, tip_x + 2 * g.axis_x, tip_y + 2 * g.axis_y)) << "just behind the tip";
    const panel::Offset pushed = panel::pin_push_offset(g, 16, {1.0, 0.0});
    EXPECT_FALSE(inside(polygon, tip_x + pushed.dx, tip_y + pushed.dy)) << "the pushed tip is hidden";
    EXPECT_EQ(polygon[0], (panel::Point{345, 67}));
    EXPECT_EQ(polygon[1], (panel::Point{254, -23}));
}

TEST(PinMeasurement, FindsTipAxisAndLengthOfTheGlyph) {
    panel::Image glyph(128, 128);
    // A bar along rows 60-61 from column 20 to 99: the tip is its first pixel in scan order.
    for (std::int32_t y = 60; y <= 61; ++y) {
        for (std::int32_t x = 20; x <= 99; ++x) {
            glyph.at(x, y) = 0x00FFFFFF;
        }
    }
    const panel::PinGeometry g = panel::measure_pin_geometry(glyph);
    EXPECT_DOUBLE_EQ(g.tip_x, 20.0 / 128);
    EXPECT_DOUBLE_EQ(g.tip_y, 60.0 / 128);
    const double v = std::hypot(39.5, 0.5);
    EXPECT_NEAR(g.axis_x, 39.5 / v, 1e-12);
    EXPECT_NEAR(g.axis_y, 0.5 / v, 1e-12);
    EXPECT_NEAR(g.length, (79 * 39.5 + 0.5) / v / 128, 1e-12);
}

TEST(PinMeasurement, FallsBackToTheDefaultGeometry) {
    panel::Image sparse(128, 128);
    for (std::int32_t x = 0; x < 19; ++x) {
        sparse.at(x * 5, 10) = 0x000000FF;
    }
    for (std::int32_t x = 0; x < 60; ++x) {
        sparse.at(x, 90) = 0x00000028;  // blue 40 is not glyph
    }
    EXPECT_EQ(panel::measure_pin_geometry(sparse), panel::DEFAULT_PIN_GEOMETRY) << "19 pixels";
    sparse.at(100, 10) = 0x00000029;
    EXPECT_NE(panel::measure_pin_geometry(sparse), panel::DEFAULT_PIN_GEOMETRY) << "20 pixels";

    panel::Image blob(128, 128);  // a 5 × 5 square is glyph enough: 25 pixels, length 5.66
    for (std::int32_t y = 0; y < 5; ++y) {
        for (std::int32_t x = 0; x < 5; ++x) {
            blob.at(60 + x, 60 + y) = 0xFF;
        }
    }
    const panel::PinGeometry square = panel::measure_pin_geometry(blob);
    EXPECT_DOUBLE_EQ(square.tip_x, 60.0 / 128) << "the first corner in scan order";
    EXPECT_NEAR(square.axis_x, std::sqrt(0.5), 1e-12);
    EXPECT_NEAR(square.length, 4 * std::sqrt(2.0) / 128, 1e-12);
    EXPECT_EQ(panel::measure_pin_geometry(panel::Image(64, 64)), panel::DEFAULT_PIN_GEOMETRY);
}

}  // namespace

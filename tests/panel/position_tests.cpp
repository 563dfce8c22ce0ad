#include <gtest/gtest.h>

#include "panel/position.hpp"

namespace {

using panel::Placement;
using settings::TrayCorner;
using state::Rect;

// A 1920 × 1080 monitor with a 40-pixel taskbar at the bottom.
constexpr Rect WORK{0, 0, 1920, 1040};
constexpr Rect MONITOR{0, 0, 1920, 1080};

TEST(Position, TrayIsFlushInTheWorkAreasBottomRight) {
    EXPECT_EQ(panel::tray_position(WORK, 322, 250), (Placement{1598, 790, 250}));
    EXPECT_EQ(panel::tray_position(WORK, 322, 1200), (Placement{1598, 0, 1040})) << "cut to the area";
    EXPECT_EQ(panel::tray_position(std::nullopt, 322, 250), (Placement{0, 0, 250}));
}

TEST(Position, CornersAreInsetByEightDips) {
    struct Case {
        TrayCorner corner;
        std::optional<Rect> work;
        std::int32_t height;
        std::uint32_t dpi;
        Placement expected;
    };
    const Case cases[] = {
        {TrayCorner::BottomRight, WORK, 250, 96, {1590, 782, 250}},
        {TrayCorner::TopLeft, WORK, 250, 96, {8, 8, 250}},
        {TrayCorner::TopRight, WORK, 250, 96, {1590, 8, 250}},
        {TrayCorner::BottomLeft, WORK, 250, 96, {8, 782, 250}},
        {TrayCorner::BottomRight, WORK, 1200, 96, {1590, 8, 1024}},  // taller than the work area
        {TrayCorner::TopLeft, Rect{1920, 0, 3840, 1040}, 250, 144, {1932, 12, 250}},
        {TrayCorner::BottomRight, std::nullopt, 250, 96, {-8, -8, 250}},  // no area: not clamped
        {TrayCorner::TopLeft, std::nullopt, 250, 96, {8, 8, 250}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(panel::corner_position(c.work, c.corner, 322, c.height, c.dpi), c.expected)
            << panel::corner_name(c.corner) << " h=" << c.height;
    }
}

TEST(ClampToWorkArea, KeepsInsideAndShortensButNeverNarrows) {
    struct Case {
        Rect work;
        std::int32_t x, y, w, h, m;
        Placement expected;
    };
    const Case cases[] = {
        {WORK, 5000, 5000, 322, 250, 8, {1590, 782, 250}},
        {WORK, -50, -50, 322, 250, 8, {8, 8, 250}},
        {Rect{0, 0, 200, 1040}, 100, 100, 322, 250, 8, {8, 100, 250}},  // wider than the area: left edge
        {Rect{0, 0, 1920, 10}, 0, 0, 322, 250, 8, {8, 8, 1}},           // no room at all: one row
        {Rect{0, 0, 1920, 18}, 0, 0, 322, 250, 8, {8, 8, 2}},
        {Rect{0, 0, 1920, 20}, 0, 50, 322, 250, 8, {8, 8, 4}},
        {Rect{-1920, -200, 0, 880}, 0, 0, 322, 250, 0, {-322, 0, 250}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(panel::clamp_to_work_area(c.work, c.x, c.y, c.w, c.h, c.m), c.expected);
    }
}

TEST(HotCorner, ZoneIsSixDipsPlusOnePixelOfTheMonitor) {
    struct Case {
        TrayCorner corner;
        Rect monitor;
        std::int32_t x, y;
        std::uint32_t dpi;
        bool inside;
    };
    const Rect left_monitor{-1920, 0, 0, 1080};
    const Case cases[] = {
        {TrayCorner::TopLeft, MONITOR, 6, 6, 96, true},
        {TrayCorner::TopLeft, MONITOR, 7, 0, 96, false},
        {TrayCorner::TopLeft, MONITOR, 0, 7, 96, false},
        {TrayCorner::TopRight, MONITOR, 1913, 6, 96, true},
        {TrayCorner::TopRight, MONITOR, 1912, 0, 96, false},
        {TrayCorner::BottomLeft, MONITOR, 0, 1073, 96, true},
        {TrayCorner::BottomLeft, MONITOR, 0, 1072, 96, false},
        {TrayCorner::BottomRight, MONITOR, 1919, 1079, 96, true},
        {TrayCorner::BottomRight, MONITOR, 1913, 1073, 96, true},
        {TrayCorner::BottomRight, MONITOR, 1913, 1072, 96, false},
        {TrayCorner::TopLeft, MONITOR, 9, 9, 144, true},
        {TrayCorner::TopLeft, MONITOR, 10, 0, 144, false},
        {TrayCorner::TopLeft, left_monitor, -1914, 6, 96, true},
        {TrayCorner::TopLeft, left_monitor, 6, 6, 96, false},  // the other monitor's corner
        {TrayCorner::TopRight, left_monitor, -1, 0, 96, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(panel::in_hot_corner(c.monitor, c.corner, c.x, c.y, c.dpi), c.inside)
            << panel::corner_name(c.corner) << " (" << c.x << ", " << c.y << ") at " << c.dpi;
    }
}

TEST(Position, CentreOfAWorkAreaAndCornerNames) {
    EXPECT_EQ(panel::centre_of(Rect{1920, 0, 3840, 1041}), (std::pair{2880, 520}));
    EXPECT_EQ(panel::centre_of(Rect{-1921, 0, 0, 1}), (std::pair{-960, 0}));
    EXPECT_EQ(panel::corner_name(TrayCorner::BottomLeft), "BottomLeft");
    EXPECT_EQ(panel::corner_name(static_cast<TrayCorner>(7)), "TopLeft");
}

}  // namespace

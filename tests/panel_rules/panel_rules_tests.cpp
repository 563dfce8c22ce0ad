#include <gtest/gtest.h>

#include "window/panel_rules.hpp"

namespace {

using state::PanelAnchor;
using state::Rect;
using window::Point;
using window::ShowAction;

constexpr platform::FileTime MS = platform::FILETIME_TICKS_PER_MILLISECOND;
constexpr platform::FileTime T0 =
    platform::FILETIME_UNIX_EPOCH + 1767225600ULL * platform::FILETIME_TICKS_PER_SECOND;

TEST(ShowPanel, MenuAndSuppressionBlockThenVisibilityPinAndAnchorDecide) {
    EXPECT_TRUE(window::show_blocked(true, std::nullopt, T0));
    EXPECT_TRUE(window::show_blocked(false, T0 + 600 * MS, T0 + 599 * MS));
    EXPECT_FALSE(window::show_blocked(false, T0 + 600 * MS, T0 + 600 * MS));
    EXPECT_FALSE(window::show_blocked(false, std::nullopt, T0));

    struct Case {
        bool visible;
        bool pinned;
        PanelAnchor previous;
        PanelAnchor trigger;
        ShowAction action;
    };
    const Case cases[] = {
        {false, false, PanelAnchor::Tray, PanelAnchor::Tray, ShowAction::Show},
        {false, true, PanelAnchor::Corner, PanelAnchor::Tray, ShowAction::Show},
        {true, true, PanelAnchor::Corner, PanelAnchor::Tray, ShowAction::Nothing},  // pinned stays
        {true, false, PanelAnchor::Tray, PanelAnchor::Tray, ShowAction::Nothing},
        {true, false, PanelAnchor::Corner, PanelAnchor::Tray, ShowAction::Reanchor},
        {true, false, PanelAnchor::Tray, PanelAnchor::Corner, ShowAction::Reanchor},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(window::show_action(c.visible, c.pinned, c.previous, c.trigger), c.action)
            << c.visible << c.pinned << static_cast<int>(c.previous) << static_cast<int>(c.trigger);
    }
}

// A tray panel at the bottom right of a 1920 x 1080 screen above a 40-pixel taskbar:
//
//   (1590,700)+--------+(1910,1040)     kept: x 1580..1930 (taskbar right + 10), y 690..1080
//             |  panel |
//   ==========+========+==== taskbar (0,1040)-(1920,1080)
TEST(Autohide, KeepTestForEachAnchor) {
    const Rect panel{1590, 700, 1910, 1040};
    const Rect taskbar{0, 1040, 1920, 1080};
    struct Case {
        const char* what;
        PanelAnchor anchor;
        std::optional<Rect> taskbar;
        std::optional<Point> pointer;
        bool in_hot_corner;
        bool keep;
    };
    const Case cases[] = {
        {"on the panel", PanelAnchor::Tray, taskbar, Point{1600, 800}, false, true},
        {"down on a tray icon", PanelAnchor::Tray, taskbar, Point{1900, 1079}, false, true},
        {"right of the taskbar margin", PanelAnchor::Tray, taskbar, Point{1931, 900}, false, false},
        {"left of the margin", PanelAnchor::Tray, taskbar, Point{1579, 900}, false, false},
        {"at the left margin", PanelAnchor::Tray, taskbar, Point{1580, 690}, false, true},
        {"above the margin", PanelAnchor::Tray, taskbar, Point{1600, 689}, false, false},
        {"below the taskbar", PanelAnchor::Tray, taskbar, Point{1600, 1081}, false, false},
        {"no taskbar, 2m right", PanelAnchor::Tray, std::nullopt, Point{1930, 900}, false, true},
        {"no taskbar, past 2m", PanelAnchor::Tray, std::nullopt, Point{1931, 900}, false, false},
        {"no taskbar, below m", PanelAnchor::Tray, std::nullopt, Point{1600, 1051}, false, false},
        {"corner, inside margin", PanelAnchor::Corner, std::nullopt, Point{1920, 1050}, false, true},
        {"corner, away", PanelAnchor::Corner, std::nullopt, Point{100, 100}, false, false},
        {"corner, in the zone", PanelAnchor::Corner, std::nullopt, Point{0, 0}, true, true},
        {"pointer unreadable", PanelAnchor::Tray, taskbar, std::nullopt, false, true},
    };
    for (const Case& c : cases) {
        window::AutohideInput input;
        input.anchor = c.anchor;
        input.taskbar = c.taskbar;
        input.pointer = c.pointer;
        input.in_hot_corner = c.in_hot_corner;
        input.panel = panel;
        EXPECT_EQ(window::autohide_keeps(input), c.keep) << c.what;
    }

    window::AutohideInput away;
    away.panel = panel;
    away.pointer = Point{0, 0};
    EXPECT_FALSE(window::autohide_keeps(away));
    for (auto keep : {&window::AutohideInput::pinned, &window::AutohideInput::menu_open}) {
        window::AutohideInput kept = away;
        kept.*keep = true;
        EXPECT_TRUE(window::autohide_keeps(kept));
    }
    window::AutohideInput no_panel = away;
    no_panel.panel.reset();
    EXPECT_TRUE(window::autohide_keeps(no_panel));
}

TEST(Autohide, APanelNeverHidesUnderThePointerWhateverSideTheTaskbarIsOn) {
    // Taskbar docked at the top: the kept area still holds the panel itself.
    window::AutohideInput input;
    input.panel = Rect{1590, 700, 1910, 1040};
    input.taskbar = Rect{0, 0, 1920, 40};
    input.pointer = Point{1700, 900};
    EXPECT_TRUE(window::autohide_keeps(input));
    // Taskbar on a monitor to the left of the panel's.
    input.taskbar = Rect{-1920, 1040, 0, 1080};
    EXPECT_TRUE(window::autohide_keeps(input));
}

TEST(Autohide, TheThirdMissInARowHidesAndAKeepResetsTheCount) {
    std::atomic<std::uint32_t> misses{0};
    const std::pair<bool, bool> ticks[] = {
        // keep?, hides?
        {false, false}, {false, false}, {true, false},  // back within the time: count starts again
        {false, false}, {false, false}, {false, true},  // third miss hides
        {false, false}, {false, false}, {false, true},  // and the count starts over
    };
    int n = 0;
    for (const auto& [keep, hides] : ticks) {
        EXPECT_EQ(window::count_autohide_tick(misses, keep), hides) << "tick " << n++;
    }
    EXPECT_EQ(misses.load(), 0u);
}

TEST(CoveringWindow, OverlapNeedsAreaAndAVisibleRestoredWindow) {
    const Rect panel{100, 100, 200, 200};
    struct Case {
        Rect other;
        bool overlap;
    };
    const Case cases[] = {
        {{150, 150, 300, 300}, true},  {{0, 0, 101, 101}, true},
        {{200, 100, 300, 200}, false},  // touching
        {{0, 0, 100, 100}, false},     {{120, 0, 130, 1000}, true},
        {{0, 0, 1000, 1000}, true},    {{150, 150, 150, 160}, false},  // no width
    };
    for (const Case& c : cases) {
        EXPECT_EQ(window::rects_overlap(panel, c.other), c.overlap) << c.other.left << "," << c.other.top;
        EXPECT_EQ(window::covers_panel(panel, true, false, c.other), c.overlap);
    }
    const Rect over{150, 150, 300, 300};
    EXPECT_FALSE(window::covers_panel(panel, false, false, over));
    EXPECT_FALSE(window::covers_panel(panel, true, true, over));
    EXPECT_FALSE(window::covers_panel(panel, true, false, std::nullopt));
    EXPECT_TRUE(window::rect_empty({5, 5, 5, 10}));
    EXPECT_TRUE(window::rect_empty({0, 0, 0, 0}));
    EXPECT_FALSE(window::rect_empty(panel));
}

TEST(HotCornerTick, PinnedVisiblePanelOnlyReRaisesOthersShow) {
    using window::CornerHoverAction;
    struct Case {
        bool pinned, visible, enabled, in_corner;
        CornerHoverAction action;
    };
    const Case cases[] = {
        {true, true, true, true, CornerHoverAction::ReraiseIfCovered},
        {true, true, false, true, CornerHoverAction::Nothing},
        {true, true, true, false, CornerHoverAction::Nothing},
        {true, false, true, true, CornerHoverAction::ShowAtCorner},  // pinned but hidden
        {false, true, true, true, CornerHoverAction::ShowAtCorner},
        {false, false, false, true, CornerHoverAction::Nothing},
        {false, false, true, false, CornerHoverAction::Nothing},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(window::corner_hover_action(c.pinned, c.visible, c.enabled, c.in_corner), c.action)
            << c.pinned << c.visible << c.enabled << c.in_corner;
    }
}

TEST(PinClick, SignedWordsAndHalfOpenRectangle) {
    EXPECT_EQ(window::point_from_lparam(0x0016'012C), (Point{300, 22}));
    EXPECT_EQ(window::point_from_lparam(0xFFFE'FFFF), (Point{-1, -2}));
    EXPECT_EQ(window::point_from_lparam(0x1234'0000'0005'0006ULL), (Point{6, 5})) << "high bits ignored";

    const std::optional<Rect> pin = Rect{300, 6, 316, 22};
    const std::pair<Point, bool> clicks[] = {
        {{300, 6}, true}, {{315, 21}, true}, {{316, 10}, false}, {{310, 22}, false}, {{299, 10}, false},
    };
    for (const auto& [point, hit] : clicks) {
        EXPECT_EQ(window::pin_hit(pin, point), hit) << point.x << "," << point.y;
    }
    EXPECT_FALSE(window::pin_hit(std::nullopt, {300, 6}));
}

TEST(PinAnimation, RunsItsLengthAndEndsWhenTheClockStepsBack) {
    const state::PinAnimation pinning{T0, true};
    const state::PinAnimation unpinning{T0, false};
    EXPECT_EQ(window::pin_animation_progress(pinning, T0), (panel::PinProgress{0.0, 0.0}));
    EXPECT_EQ(window::pin_animation_progress(pinning, T0 + 230 * MS)->progress, 1.0);
    EXPECT_TRUE(window::pin_animation_progress(pinning, T0 + 379 * MS));
    EXPECT_FALSE(window::pin_animation_progress(pinning, T0 + 380 * MS));
    EXPECT_DOUBLE_EQ(window::pin_animation_progress(unpinning, T0 + 105 * MS)->progress, 0.125);
    EXPECT_TRUE(window::pin_animation_progress(unpinning, T0 + 209 * MS + MS - 1)) << "whole milliseconds";
    EXPECT_FALSE(window::pin_animation_progress(unpinning, T0 + 210 * MS));
    EXPECT_FALSE(window::pin_animation_progress(std::nullopt, T0));
    // The clock set back an hour: the animation is over now, not frozen at its first frame.
    EXPECT_FALSE(window::pin_animation_progress(pinning, T0 - 3600 * 1000 * MS));
    EXPECT_FALSE(window::pin_animation_progress(pinning, T0 - 1));
}

}  // namespace

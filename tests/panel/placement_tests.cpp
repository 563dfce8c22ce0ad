#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "diagnostics/log.hpp"
#include "panel/placement.hpp"
#include "support/temp_folder.hpp"

namespace {

using panel::MonitorHandle;
using panel::Point;
using settings::TrayCorner;
using state::PanelAnchor;
using state::Rect;

constexpr state::WindowHandle PANEL = 0x100;
constexpr state::WindowHandle TASKBAR = 0x200;

// Made-up monitors side by side:
//   +--------------------+--------------------+
//   | 1: 1920 × 1080     | 2: 1920 × 1080     |
//   |    96 DPI          |    144 DPI         |
//   |--------------------|                    |
//   |  taskbar, 40 px    |  work = monitor    |
//   +--------------------+--------------------+
struct FakeMonitor {
    MonitorHandle handle;
    panel::MonitorInfo info;
    std::optional<std::uint32_t> dpi;
};

class FakeDisplays final : public panel::DisplaySystem {
  public:
    std::vector<FakeMonitor> monitors = {
        {1, {{0, 0, 1920, 1080}, {0, 0, 1920, 1040}}, 96},
        {2, {{1920, 0, 3840, 1080}, {1920, 0, 3840, 1080}}, 144},
    };
    std::map<state::WindowHandle, MonitorHandle> window_monitor = {{PANEL, 1}, {TASKBAR, 1}};
    std::map<state::WindowHandle, std::uint32_t> window_dpi = {{PANEL, 96}};
    std::optional<Point> cursor;
    std::optional<panel::Taskbar> bar =
        panel::Taskbar{{0, 1040, 1920, 1080}, panel::TaskbarEdge::Bottom, false};
    MonitorHandle primary = 1;
    struct Move {
        state::WindowHandle window;
        std::int32_t x, y, w, h;
        friend bool operator==(const Move&, const Move&) = default;
    };
    std::vector<Move> moves;

    MonitorHandle monitor_from_window(state::WindowHandle window) noexcept override {
        const auto it = window_monitor.find(window);
        return it == window_monitor.end() ? 0 : it->second;
    }
    MonitorHandle monitor_from_point(Point p) noexcept override {
        for (const FakeMonitor& m : monitors) {
            if (m.info.monitor.contains(p.x, p.y)) {
                return m.handle;
            }
        }
        return monitors.empty() ? 0 : monitors.front().handle;  // nearest: good enough here
    }
    std::optional<panel::MonitorInfo> monitor_info(MonitorHandle handle) noexcept override {
        const FakeMonitor* m = find(handle);
        return m != nullptr ? std::optional(m->info) : std::nullopt;
    }
    std::optional<std::uint32_t> dpi_for_monitor(MonitorHandle handle) noexcept override {
        const FakeMonitor* m = find(handle);
        return m != nullptr ? m->dpi : std::nullopt;
    }
    std::uint32_t dpi_for_window(state::WindowHandle window) noexcept override {
        const auto it = window_dpi.find(window);
        return it == window_dpi.end() ? 0 : it->second;
    }
    std::optional<Point> cursor_position() noexcept override { return cursor; }
    std::optional<panel::Taskbar> taskbar(state::WindowHandle) noexcept override { return bar; }
    MonitorHandle primary_monitor() noexcept override { return monitors.empty() ? 0 : primary; }
    bool move_topmost(state::WindowHandle window, std::int32_t x, std::int32_t y, std::int32_t w,
                      std::int32_t h) noexcept override {
        moves.push_back({window, x, y, w, h});
        return true;
    }

  private:
    const FakeMonitor* find(MonitorHandle handle) const {
        for (const FakeMonitor& m : monitors) {
            if (m.handle == handle) {
                return &m;
            }
        }
        return nullptr;
    }
};

state::AppState placed_state(PanelAnchor anchor, std::optional<state::WindowHandle> taskbar,
                             std::optional<Rect> corner_monitor = std::nullopt,
                             TrayCorner corner = TrayCorner::BottomRight) {
    state::AppState s;
    s.hwnd = PANEL;
    s.taskbar = taskbar;
    s.anchor = anchor;
    s.corner_monitor = corner_monitor;
    s.hot_corner = corner;
    return s;
}

// A panel 322 wide and `dips` high at 96 DPI, scaled by the DPI it is asked at; records the DPIs.
struct SizeProbe {
    std::int32_t height_at_96 = 250;
    std::vector<std::uint32_t> asked;
    panel::PanelSizeAt function() {
        return [this](std::uint32_t dpi, const std::optional<panel::Size>&) {
            asked.push_back(dpi);
            return panel::Size{static_cast<std::int32_t>(322 * dpi / 96),
                               static_cast<std::int32_t>(height_at_96 * dpi / 96)};
        };
    }
};

TEST(PositionPanel, PlacesByAnchorMonitorAndDpi) {
    struct Case {
        const char* name;
        state::AppState state;
        std::int32_t height_at_96;
        FakeDisplays::Move expected;
        std::uint32_t dpi;
        const char* log_line;
    };
    const Case cases[] = {
        {"tray over the taskbar",
         placed_state(PanelAnchor::Tray, TASKBAR),
         250,
         {PANEL, 1598, 790, 322, 250},
         96,
         "position_panel TRAY taskbar=true edge=Bottom work=Some((0, 0, 1920, 1040)) -> x=1598 y=790 w=322 "
         "h=250"},
        {"hot corner, bottom right",
         placed_state(PanelAnchor::Corner, TASKBAR, Rect{0, 0, 1920, 1040}),
         250,
         {PANEL, 1590, 782, 322, 250},
         96,
         "position_panel CORNER corner=BottomRight work=Some((0, 0, 1920, 1040)) -> x=1590 y=782 w=322 "
         "h=250"},
        {"taller than the work area",
         placed_state(PanelAnchor::Corner, std::nullopt, Rect{0, 0, 1920, 1040}),
         1200,
         {PANEL, 1590, 8, 322, 1024},
         96,
         "position_panel CORNER corner=BottomRight work=Some((0, 0, 1920, 1040)) -> x=1590 y=8 w=322 h=1024"},
        {"corner on the 144-DPI monitor",
         placed_state(PanelAnchor::Corner, TASKBAR, Rect{1920, 0, 3840, 1080}, TrayCorner::TopLeft),
         250,
         {PANEL, 1932, 12, 483, 375},
         144,
         "position_panel CORNER corner=TopLeft work=Some((1920, 0, 3840, 1080)) -> x=1932 y=12 w=483 h=375"},
        {"corner before any corner fired: the panel's monitor",
         placed_state(PanelAnchor::Corner, TASKBAR),
         250,
         {PANEL, 1590, 782, 322, 250},
         96,
         "position_panel CORNER corner=BottomRight work=Some((0, 0, 1920, 1040)) -> x=1590 y=782 w=322 "
         "h=250"},
    };
    for (const Case& c : cases) {
        FakeDisplays displays;
        state::StateSlot slot;
        slot.install(c.state);
        std::atomic<std::uint32_t> dpi{96};
        SizeProbe size{c.height_at_96, {}};
        const auto placed = panel::position_panel(displays, slot, dpi, size.function());
        ASSERT_TRUE(placed) << c.name;
        EXPECT_EQ(placed->log_line, c.log_line) << c.name;
        ASSERT_EQ(displays.moves.size(), 1u) << c.name;
        EXPECT_EQ(displays.moves[0], c.expected) << c.name;
        EXPECT_EQ(dpi.load(), c.dpi) << c.name;
        EXPECT_EQ(size.asked, std::vector<std::uint32_t>{c.dpi}) << c.name << ": sized once, at the new DPI";
    }
}

TEST(PositionPanel, FallsBackToThePanelsMonitorThenToNoArea) {
    // The panel has moved to the 144-DPI monitor; the taskbar is unknown.
    {
        FakeDisplays displays;
        displays.window_monitor[PANEL] = 2;
        state::StateSlot slot;
        slot.install(placed_state(PanelAnchor::Tray, std::nullopt));
        std::atomic<std::uint32_t> dpi{96};
        SizeProbe size;
        const auto placed = panel::position_panel(displays, slot, dpi, size.function());
        ASSERT_TRUE(placed);
        EXPECT_EQ(placed->log_line,
                  "position_panel TRAY taskbar=false edge=Bottom work=Some((1920, 0, 3840, 1080)) -> x=3357 "
                  "y=705 w=483 h=375");
        EXPECT_EQ(dpi.load(), 144u);
    }
    // The taskbar window is known but its monitor cannot be read: the panel's monitor serves.
    {
        FakeDisplays displays;
        displays.window_monitor[TASKBAR] = 9;
        state::StateSlot slot;
        slot.install(placed_state(PanelAnchor::Tray, TASKBAR));
        std::atomic<std::uint32_t> dpi{96};
        SizeProbe size;
        const auto placed = panel::position_panel(displays, slot, dpi, size.function());
        ASSERT_TRUE(placed);
        EXPECT_EQ(placed->log_line,
                  "position_panel TRAY taskbar=true edge=Bottom work=Some((0, 0, 1920, 1040)) -> x=1598 "
                  "y=790 w=322 h=250");
    }
    // No monitor at all: the tray panel goes to (0, 0), the corner formulas apply unclamped, and
    // the DPI the window reports stays in force.
    for (const PanelAnchor anchor : {PanelAnchor::Tray, PanelAnchor::Corner}) {
        FakeDisplays displays;
        displays.monitors.clear();
        displays.window_monitor.clear();
        displays.window_dpi[PANEL] = 120;
        state::StateSlot slot;
        slot.install(placed_state(anchor, TASKBAR));
        std::atomic<std::uint32_t> dpi{96};
        SizeProbe size;
        const auto placed = panel::position_panel(displays, slot, dpi, size.function());
        ASSERT_TRUE(placed);
        EXPECT_EQ(placed->log_line,
                  anchor == PanelAnchor::Tray
                      ? "position_panel TRAY taskbar=true edge=Bottom work=None -> x=0 y=0 w=402 h=312"
                      : "position_panel CORNER corner=BottomRight work=None -> x=-10 y=-10 w=402 h=312");
        EXPECT_EQ(dpi.load(), 120u);
    }
}

TEST(PositionPanel, DoesNothingWithoutState) {
    FakeDisplays displays;
    state::StateSlot slot;
    std::atomic<std::uint32_t> dpi{120};
    SizeProbe size;
    EXPECT_FALSE(panel::position_panel(displays, slot, dpi, size.function()));
    EXPECT_TRUE(displays.moves.empty());
    EXPECT_TRUE(size.asked.empty());
    EXPECT_EQ(dpi.load(), 120u);
}

TEST(PositionPanel, WritesItsLineToTheLog) {
    test_support::TempFolder folder;
    FakeDisplays displays;
    state::StateSlot slot;
    slot.install(placed_state(PanelAnchor::Tray, TASKBAR));
    std::atomic<std::uint32_t> dpi{96};
    SizeProbe size;
    ASSERT_TRUE(diagnostics::open_log(folder / "gaugelet.log"));
    (void)panel::position_panel(displays, slot, dpi, size.function());
    const std::string log = test_support::read_text(folder / "gaugelet.log");
    EXPECT_NE(log.find("] position_panel TRAY taskbar=true edge=Bottom work=Some((0, 0, 1920, 1040)) -> "
                       "x=1598 y=790 w=322 "
                       "h=250\n"),
              std::string::npos)
        << log;
}

// Records the DPI and area each size is asked for, and answers with a fixed 322 × 250 at 96 DPI,
// scaled, but never larger than the area.
struct FitProbe {
    std::vector<panel::FrameFit> asked;
    panel::PanelSizeAt function() {
        return [this](std::uint32_t dpi, const std::optional<panel::Size>& area) {
            asked.push_back({dpi, area});
            panel::Size size{static_cast<std::int32_t>(322 * dpi / 96),
                             static_cast<std::int32_t>(250 * dpi / 96)};
            if (area) {
                size = {std::min(size.width, area->width), std::min(size.height, area->height)};
            }
            return size;
        };
    }
};

panel::Taskbar bar(Rect rect, panel::TaskbarEdge edge, bool auto_hide = false) {
    return {rect, edge, auto_hide};
}

// The tray panel opens next to the notification area, on whichever edge and monitor the taskbar
// is: monitor 1 is 1920 × 1080 at 96 DPI; monitor 2 lies up and to the left of it, 2560 × 1440 at
// 144 DPI with negative coordinates.
TEST(PositionPanel, TrayPanelOpensAtTheTaskbarsEdge) {
    using panel::TaskbarEdge;
    const Rect one{0, 0, 1920, 1080};
    const Rect two{-2560, -360, 0, 1080};
    struct Case {
        const char* name;
        MonitorHandle taskbar_monitor;
        Rect work;  // of the taskbar's monitor
        panel::Taskbar bar;
        FakeDisplays::Move expected;
    };
    const Case cases[] = {
        {"bottom",
         1,
         {0, 0, 1920, 1040},
         bar({0, 1040, 1920, 1080}, TaskbarEdge::Bottom),
         {PANEL, 1598, 790, 322, 250}},
        {"top", 1, {0, 40, 1920, 1080}, bar({0, 0, 1920, 40}, TaskbarEdge::Top), {PANEL, 1598, 40, 322, 250}},
        {"left",
         1,
         {60, 0, 1920, 1080},
         bar({0, 0, 60, 1080}, TaskbarEdge::Left),
         {PANEL, 60, 830, 322, 250}},
        {"right",
         1,
         {0, 0, 1860, 1080},
         bar({1860, 0, 1920, 1080}, TaskbarEdge::Right),
         {PANEL, 1538, 830, 322, 250}},
        {"auto-hidden at the bottom",
         1,
         one,
         bar({0, 1040, 1920, 1080}, TaskbarEdge::Bottom, true),
         {PANEL, 1598, 790, 322, 250}},
        {"auto-hidden on the left, reported slid away",
         1,
         one,
         bar({-58, 0, 2, 1080}, TaskbarEdge::Left, true),
         {PANEL, 60, 830, 322, 250}},
        {"auto-hidden at the top",
         1,
         one,
         bar({0, 0, 1920, 48}, TaskbarEdge::Top, true),
         {PANEL, 1598, 48, 322, 250}},
        {"top of the 144-DPI monitor at negative coordinates",
         2,
         {-2560, -300, 0, 1080},
         bar({-2560, -360, 0, -300}, TaskbarEdge::Top),
         {PANEL, -483, -300, 483, 375}},
        {"right of the 144-DPI monitor, auto-hidden",
         2,
         two,
         bar({-72, -360, 0, 1080}, TaskbarEdge::Right, true),
         {PANEL, -72 - 483, 1080 - 375, 483, 375}},
    };
    for (const Case& c : cases) {
        FakeDisplays displays;
        displays.monitors = {{1, {one, one}, 96}, {2, {two, two}, 144}};
        displays.monitors[c.taskbar_monitor - 1].info.work = c.work;
        displays.window_monitor = {{PANEL, 1}, {TASKBAR, c.taskbar_monitor}};
        displays.bar = c.bar;
        state::StateSlot slot;
        slot.install(placed_state(PanelAnchor::Tray, TASKBAR));
        std::atomic<std::uint32_t> dpi{96};
        FitProbe size;
        panel::PlacedFit fit;
        ASSERT_TRUE(panel::position_panel(displays, slot, dpi, size.function(), fit)) << c.name;
        ASSERT_EQ(displays.moves.size(), 1u) << c.name;
        EXPECT_EQ(displays.moves[0], c.expected) << c.name;
        // Laid out once, for the DPI of the taskbar's monitor and the area left beside the taskbar.
        ASSERT_EQ(size.asked.size(), 1u) << c.name;
        EXPECT_EQ(fit.get(), size.asked[0]) << c.name;
        EXPECT_EQ(size.asked[0].dpi, c.taskbar_monitor == 1 ? 96u : 144u) << c.name;
        const auto area = size.asked[0].area.value_or(panel::Size{});
        EXPECT_TRUE(c.expected.x + c.expected.w <= c.work.right &&
                    c.expected.y + c.expected.h <= c.work.bottom && area.width <= c.work.width() &&
                    area.height <= c.work.height())
            << c.name;
    }
}

// A corner-opened (or pinned) panel reads its monitor again at every placement.
TEST(PositionPanel, CornerPanelFollowsMonitorsThatComeAndGo) {
    const Rect one{0, 0, 1920, 1080};
    const Rect one_work{0, 0, 1920, 1040};
    const Rect two{-2560, -360, 0, 1080};
    struct Case {
        const char* name;
        std::vector<FakeMonitor> monitors;
        FakeDisplays::Move expected;
        std::optional<Rect> remembered;  // the corner's monitor afterwards
        panel::FrameFit fit;
    };
    const Case cases[] = {
        {"its monitor is still there",
         {{1, {one, one_work}, 96}, {2, {two, two}, 144}},
         {PANEL, -2560 + 12, -360 + 12, 483, 375},
         two,
         {144, panel::Size{2560 - 24, 1440 - 24}}},
        {"its monitor was removed: the primary's corner",
         {{1, {one, one_work}, 96}},
         {PANEL, 8, 8, 322, 250},
         one_work,
         {96, panel::Size{1920 - 16, 1040 - 16}}},
        {"its resolution changed: the primary's corner",
         {{1, {one, one_work}, 96}, {2, {{-1280, 0, 0, 720}, {-1280, 0, 0, 720}}, 144}},
         {PANEL, 8, 8, 322, 250},
         one_work,
         {96, panel::Size{1920 - 16, 1040 - 16}}},
        {"nothing can be read: the corner it fired in",
         {},
         {PANEL, -2560 + 12, -360 + 12, 483, 375},
         two,
         {120, panel::Size{2560 - 20, 1440 - 20}}},
    };
    for (const Case& c : cases) {
        FakeDisplays displays;
        displays.monitors = c.monitors;
        displays.window_dpi[PANEL] = 120;
        state::StateSlot slot;
        slot.install(placed_state(PanelAnchor::Corner, TASKBAR, two, TrayCorner::TopLeft));
        std::atomic<std::uint32_t> dpi{96};
        FitProbe size;
        panel::PlacedFit fit;
        const auto placed = panel::position_panel(displays, slot, dpi, size.function(), fit);
        ASSERT_TRUE(placed) << c.name;
        ASSERT_EQ(displays.moves.size(), 1u) << c.name;
        if (c.monitors.empty()) {
            // At 120 DPI the size probe gives 402 × 312 and the margin is 10.
            EXPECT_EQ(displays.moves[0], (FakeDisplays::Move{PANEL, -2550, -350, 402, 312})) << c.name;
        } else {
            EXPECT_EQ(displays.moves[0], c.expected) << c.name;
        }
        EXPECT_EQ(fit.get(), c.fit) << c.name;
        EXPECT_EQ(slot.lock()->corner_monitor, c.remembered) << c.name;
        EXPECT_EQ(placed->log_line.find("its monitor changed") != std::string::npos, c.remembered == one_work)
            << c.name << ": " << placed->log_line;
    }
}

// With the real layout, many accounts on a small screen are placed inside its work area.
TEST(PositionPanel, ManyAccountsStayInsideASmallWorkArea) {
    std::vector<poller::UsageSnapshot> rows;
    for (int i = 0; i < 24; ++i) {
        rows.push_back({"claude-" + std::to_string(i + 1), std::nullopt, poller::UsageData{},
                        accounts::Provider::Claude});
    }
    for (const auto layout : {settings::PanelLayout::Vertical, settings::PanelLayout::Columns,
                              settings::PanelLayout::Horizontal}) {
        for (const PanelAnchor anchor : {PanelAnchor::Tray, PanelAnchor::Corner}) {
            FakeDisplays displays;
            displays.monitors = {{1, {{0, 0, 1366, 768}, {0, 0, 1366, 728}}, 96}};
            state::StateSlot slot;
            slot.install(placed_state(anchor, TASKBAR, Rect{0, 0, 1366, 728}));
            std::atomic<std::uint32_t> dpi{96};
            ASSERT_TRUE(panel::position_panel(displays, slot, dpi,
                                              [&](std::uint32_t at, const std::optional<panel::Size>& area) {
                                                  return panel::panel_size(layout, rows, at, {area, 0});
                                              }));
            const auto& move = displays.moves.at(0);
            EXPECT_TRUE(move.x >= 0 && move.y >= 0 && move.x + move.w <= 1366 && move.y + move.h <= 728)
                << static_cast<int>(layout) << " " << move.x << "," << move.y << " " << move.w << "x"
                << move.h;
        }
    }
}

TEST(CursorInHotCorner, TestsTheZoneOfTheCursorsMonitor) {
    struct Case {
        std::optional<Point> cursor;
        std::optional<TrayCorner> corner;  // nothing: no state
        std::uint32_t dpi;
        bool expected;
    };
    const Case cases[] = {
        {Point{6, 6}, TrayCorner::TopLeft, 96, true},
        {Point{7, 0}, TrayCorner::TopLeft, 96, false},
        {Point{6, 6}, std::nullopt, 96, true},  // no state: TopLeft
        {Point{1913, 1073}, TrayCorner::BottomRight, 96, true},
        {Point{1912, 1073}, TrayCorner::BottomRight, 96, false},
        {Point{3830, 0}, TrayCorner::TopRight, 144, true},  // second monitor, z = 9
        {Point{1929, 1070}, TrayCorner::BottomLeft, 144, true},
        {Point{1930, 1070}, TrayCorner::BottomLeft, 144, false},
        {std::nullopt, TrayCorner::TopLeft, 96, false},  // cursor unreadable
    };
    for (const Case& c : cases) {
        FakeDisplays displays;
        displays.cursor = c.cursor;
        state::StateSlot slot;
        if (c.corner) {
            slot.install(placed_state(PanelAnchor::Tray, TASKBAR, std::nullopt, *c.corner));
        }
        EXPECT_EQ(panel::cursor_in_hot_corner(displays, slot, c.dpi), c.expected)
            << (c.cursor ? c.cursor->x : -1) << "," << (c.cursor ? c.cursor->y : -1);
    }
    FakeDisplays no_monitor;
    no_monitor.monitors.clear();
    no_monitor.cursor = Point{0, 0};
    state::StateSlot slot;
    EXPECT_FALSE(panel::cursor_in_hot_corner(no_monitor, slot, 96));
}

}  // namespace

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "panel/layout.hpp"

namespace {

using accounts::Provider;
using poller::UsageSnapshot;
using settings::PanelLayout;

UsageSnapshot claude(std::string id, std::size_t models = 0) {
    poller::UsageData data;
    for (std::size_t i = 0; i < models; ++i) {
        data.model_bars.push_back({"model " + std::to_string(i), {}});
    }
    return UsageSnapshot{std::move(id), std::nullopt, data, Provider::Claude};
}

UsageSnapshot codex(std::string id) {
    return UsageSnapshot{std::move(id), std::nullopt, poller::UsageData{}, Provider::Codex};
}

UsageSnapshot failed(std::string id, Provider provider) {
    return UsageSnapshot{std::move(id), std::nullopt, std::nullopt, provider};
}

TEST(Layout, EmptyPanelIs322By40At96Dpi) {
    EXPECT_TRUE(panel::layout_sections(PanelLayout::Columns, {}, 96).empty());
    for (const auto layout : {PanelLayout::Columns, PanelLayout::Vertical, PanelLayout::Horizontal}) {
        EXPECT_EQ(panel::panel_size(layout, {}, 96), (panel::Size{322, 40}));
    }
}

TEST(Layout, WidthsScaleEachConstantSeparately) {
    EXPECT_EQ(panel::column_width(96), 301);
    EXPECT_EQ(panel::bar_width(96), 54);
    EXPECT_EQ(panel::column_width(144), 454);  // 5·2 + 5·15 + 6 + 308 + 42 + 15 − 2
    EXPECT_EQ(panel::bar_width(144), 83);
    EXPECT_EQ(panel::content_left(144), 5 + 15);
}

TEST(Layout, SectionHeightsCountBarRows) {
    struct Case {
        UsageSnapshot row;
        std::int32_t height;
    };
    const Case cases[] = {
        {failed("claude-1", Provider::Claude), 20 + 20 + 6 + 13 + 10},
        {failed("codex-1", Provider::Codex), 69},
        {claude("claude-1"), 20 + 26 + 2 * 23},
        {claude("claude-1", 2), 20 + 26 + 4 * 23},
        {codex("codex-1"), 20 + 26 + 2 * 23},
    };
    for (const Case& c : cases) {
        const auto sections = panel::layout_sections(PanelLayout::Columns, {c.row}, 96);
        ASSERT_EQ(sections.size(), 1u);
        EXPECT_EQ(sections[0].height, c.height) << c.row.account_id;
    }
}

// Columns, 96 DPI, two Claude accounts and one Codex account (given Codex first):
//
//   x=0                 x=325
//   +-- Claude ------+  +-- Codex -------+
//   | claude-1  72   |  | codex-1   92   |
//   | gap 8          |  +----------------+
//   | claude-2  72   |
//   +----------------+  height 20 + 72 + 8 + 72 = 172
TEST(Layout, ColumnsAndVerticalGroupByProvider) {
    const std::vector<UsageSnapshot> rows = {codex("codex-1"), claude("claude-1"), claude("claude-2")};
    const auto columns = panel::layout_sections(PanelLayout::Columns, rows, 96);
    ASSERT_EQ(columns.size(), 2u);
    EXPECT_EQ(columns[0].title, "Claude");
    EXPECT_TRUE(columns[0].is_claude);
    ASSERT_EQ(columns[0].rows.size(), 2u);
    EXPECT_EQ(columns[0].rows[1].account_id, "claude-2");
    EXPECT_EQ(columns[0].height, 172);
    EXPECT_EQ(columns[1].title, "Codex");
    EXPECT_EQ((std::array{columns[1].x, columns[1].y, columns[1].width, columns[1].height}),
              (std::array{325, 0, 301, 92}));
    EXPECT_EQ(panel::panel_size(columns, 96), (panel::Size{8 + 10 + 626 + 3, 20 + 172}));

    const auto vertical = panel::layout_sections(PanelLayout::Vertical, rows, 96);
    ASSERT_EQ(vertical.size(), 2u);
    EXPECT_EQ((std::array{vertical[1].x, vertical[1].y}), (std::array{0, 172 + 24}));
    EXPECT_EQ(panel::panel_size(vertical, 96), (panel::Size{322, 20 + 196 + 92}));
}

TEST(Layout, HorizontalGivesEveryAccountAColumn) {
    const std::vector<UsageSnapshot> rows = {claude("claude-1"), codex("codex-1"), claude("claude-2"),
                                             failed("claude-3", Provider::Claude)};
    const auto sections = panel::layout_sections(PanelLayout::Horizontal, rows, 96);
    ASSERT_EQ(sections.size(), 4u);
    const char* titles[] = {"Claude", "Claude", "Claude", "Codex"};
    const char* ids[] = {"claude-1", "claude-2", "claude-3", "codex-1"};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(sections[i].title, titles[i]);
        ASSERT_EQ(sections[i].rows.size(), 1u);
        EXPECT_EQ(sections[i].rows[0].account_id, ids[i]);
        EXPECT_EQ(sections[i].x, static_cast<std::int32_t>(i) * 325);
        EXPECT_EQ(sections[i].y, 0);
    }
    EXPECT_EQ(panel::panel_size(sections, 96).width, 8 + 10 + 3 * 325 + 301 + 3);
}

TEST(Layout, SeparatorsBetweenSections) {
    const std::vector<UsageSnapshot> rows = {claude("claude-1"), claude("claude-2"), codex("codex-1")};
    const auto vertical = panel::layout_sections(PanelLayout::Vertical, rows, 96);
    const panel::Size vsize = panel::panel_size(vertical, 96);
    EXPECT_EQ(panel::separator_rects(PanelLayout::Vertical, vertical, vsize, 96),
              (std::vector<state::Rect>{{13, 6 + 172 + 12, 322 - 8, 6 + 172 + 12 + 1}}));

    const auto columns = panel::layout_sections(PanelLayout::Columns, rows, 96);
    const panel::Size csize = panel::panel_size(columns, 96);
    EXPECT_EQ(panel::separator_rects(PanelLayout::Columns, columns, csize, 96),
              (std::vector<state::Rect>{{13 + 301 + 12, 9, 13 + 301 + 12 + 1, csize.height - 9}}));
    EXPECT_TRUE(panel::separator_rects(PanelLayout::Columns, {columns[0]}, csize, 96).empty());
}

TEST(BarFill, ClampsAndNeverDrawsLessThanTheBarIsHigh) {
    const std::pair<double, std::int32_t> cases[] = {
        {0.0, 0},
        {-5.0, 0},
        {0.4, 5},
        {1.0, 5},
        {9.0, 5},
        {10.0, 5},
        {11.0, 6},
        {50.0, 27},
        {99.9, 54},
        {100.0, 54},
        {130.0, 54},
        {std::numeric_limits<double>::quiet_NaN(), 0},
        {std::numeric_limits<double>::infinity(), 54},
    };
    for (const auto& [percent, width] : cases) {
        EXPECT_EQ(panel::bar_fill_width(percent, 54, 5), width) << percent;
    }
    EXPECT_EQ(panel::bar_fill_width(50.0, 3, 5), 3) << "a bar thinner than high is filled whole";
}

}  // namespace

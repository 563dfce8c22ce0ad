#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "localization/more_accounts.hpp"
#include "panel/layout.hpp"
#include "state/dpi.hpp"

namespace {

using accounts::Provider;
using poller::UsageSnapshot;
using settings::PanelLayout;

// A realistic mix: Claude accounts with 0-2 model bars, Codex accounts, one failed fetch in seven.
std::vector<UsageSnapshot> accounts_mix(std::size_t count) {
    std::vector<UsageSnapshot> rows;
    for (std::size_t i = 0; i < count; ++i) {
        const bool is_claude = i % 3 != 2;
        std::optional<poller::UsageData> usage = poller::UsageData{};
        for (std::size_t m = 0; is_claude && m < i % 3; ++m) {
            usage->model_bars.push_back({"Sonnet", {}});
        }
        if (i % 7 == 6) {
            usage.reset();
        }
        rows.push_back(UsageSnapshot{(is_claude ? "claude-" : "codex-") + std::to_string(i + 1), std::nullopt,
                                     usage, is_claude ? Provider::Claude : Provider::Codex});
    }
    return rows;
}

std::vector<UsageSnapshot> claudes(std::size_t count) {
    std::vector<UsageSnapshot> rows;
    for (std::size_t i = 0; i < count; ++i) {
        rows.push_back(UsageSnapshot{"claude-" + std::to_string(i + 1), std::nullopt, poller::UsageData{},
                                     Provider::Claude});
    }
    return rows;
}

// The work area of a screen with a 48-DIP taskbar along its bottom.
panel::Size work_area(panel::Size screen, std::uint32_t dpi) {
    return {screen.width, screen.height - state::scale_dip(48, dpi)};
}

bool overlaps(const state::Rect& a, const state::Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

state::Rect box(const panel::PanelSection& s) {
    return {s.x, s.y, s.x + s.width, s.y + s.height};
}

TEST(FittedLayout, EveryScreenDpiAndAccountCountFitsTheWorkArea) {
    const panel::Size screens[] = {{1366, 768}, {1920, 1080}, {3840, 2160}};
    const std::uint32_t dpis[] = {96, 120, 144, 192};
    const PanelLayout layouts[] = {PanelLayout::Vertical, PanelLayout::Columns, PanelLayout::Horizontal};
    for (const panel::Size screen : screens) {
        for (const std::uint32_t dpi : dpis) {
            const panel::Size work = work_area(screen, dpi);
            for (const PanelLayout layout : layouts) {
                for (std::size_t count = 1; count <= 60; ++count) {
                    const auto rows = accounts_mix(count);
                    const panel::FittedPanel fitted = panel::fit_panel(layout, rows, dpi, {work, 0});
                    const std::string where = std::to_string(screen.width) + "x" +
                                              std::to_string(screen.height) + " @" + std::to_string(dpi) +
                                              " layout " + std::to_string(static_cast<int>(layout)) +
                                              " accounts " + std::to_string(count);
                    EXPECT_LE(fitted.size.width, work.width) << where;
                    EXPECT_LE(fitted.size.height, work.height) << where;

                    // Every account is shown once, in order, or counted on the "+N more" line.
                    std::vector<std::string> shown;
                    for (const auto& section : fitted.sections) {
                        EXPECT_FALSE(section.rows.empty()) << where;
                        for (const auto& row : section.rows) {
                            shown.push_back(row.account_id);
                        }
                    }
                    EXPECT_EQ(shown.size() + fitted.hidden, count) << where;
                    EXPECT_EQ(fitted.hidden > 0, fitted.more_line.has_value()) << where;
                    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end(), [&](const auto& a, const auto& b) {
                        const auto rank = [&](const std::string& id) {
                            const auto it = std::find_if(rows.begin(), rows.end(),
                                                         [&](const auto& r) { return r.account_id == id; });
                            return std::pair{it->provider != Provider::Claude, it - rows.begin()};
                        };
                        return rank(a) < rank(b);
                    })) << where;

                    // Nothing overlaps, and everything lies inside the panel's content.
                    std::vector<state::Rect> boxes;
                    for (const auto& section : fitted.sections) {
                        boxes.push_back(box(section));
                    }
                    if (fitted.more_line) {
                        boxes.push_back(*fitted.more_line);
                    }
                    const std::int32_t right =
                        fitted.size.width - panel::content_left(dpi) - state::scale_dip(8, dpi);
                    const std::int32_t bottom = fitted.size.height - state::scale_dip(20, dpi);
                    for (std::size_t i = 0; i < boxes.size(); ++i) {
                        EXPECT_LE(boxes[i].right, right + 1) << where;
                        EXPECT_LE(boxes[i].bottom, bottom + 1) << where;
                        for (std::size_t j = i + 1; j < boxes.size(); ++j) {
                            EXPECT_FALSE(overlaps(boxes[i], boxes[j]))
                                << where << " boxes " << i << ", " << j;
                        }
                    }

                    // What fits unwrapped is laid out as without a work area.
                    const panel::Size unbounded = panel::panel_size(layout, rows, dpi);
                    if (unbounded.width <= work.width && unbounded.height <= work.height) {
                        EXPECT_EQ(fitted.size, unbounded) << where;
                    }
                }
            }
        }
    }
}

// 1920 × 1040 work area at 96 DPI: a column holds 1020 px of sections, that is a header and twelve
// plain accounts (20 + 12·72 + 11·8 = 972).
TEST(FittedLayout, WrapsAndSplitsOnlyWhereTheWorkAreaEnds) {
    struct Case {
        PanelLayout layout;
        std::vector<UsageSnapshot> rows;
        panel::Size work;
        std::vector<std::pair<std::size_t, std::size_t>> lanes_and_rows;  // per section
        std::size_t hidden;
    };
    auto mixed = claudes(10);
    mixed.push_back(UsageSnapshot{"codex-1", std::nullopt, poller::UsageData{}, Provider::Codex});
    mixed.push_back(UsageSnapshot{"codex-2", std::nullopt, poller::UsageData{}, Provider::Codex});
    mixed.push_back(UsageSnapshot{"codex-3", std::nullopt, poller::UsageData{}, Provider::Codex});
    const Case cases[] = {
        // Thirteen accounts no longer run off a 1080-pixel screen: Codex moves to a second column.
        {PanelLayout::Vertical, mixed, {1920, 1040}, {{0, 10}, {1, 3}}, 0},
        // A provider longer than a column continues in the next one.
        {PanelLayout::Vertical, claudes(30), {1920, 1040}, {{0, 12}, {1, 12}, {2, 6}}, 0},
        {PanelLayout::Columns, claudes(13), {1920, 1040}, {{0, 12}, {1, 1}}, 0},
        // Six accounts side by side wrap into a second row on a 1366-pixel screen.
        {PanelLayout::Horizontal,
         claudes(6),
         {1366, 728},
         {{0, 1}, {0, 1}, {0, 1}, {0, 1}, {1, 1}, {1, 1}},
         0},
        // Two columns across and exactly twelve accounts high: the second gives up its last account
        // for the "+N more" line.
        {PanelLayout::Columns, claudes(30), {700, 992}, {{0, 12}, {1, 11}}, 7},
        // Rows that do not fit are left out; the last shown slot says how many.
        {PanelLayout::Horizontal, claudes(20), {700, 300}, {{0, 1}, {0, 1}, {1, 1}}, 17},
    };
    for (const Case& c : cases) {
        const auto fitted = panel::fit_panel(c.layout, c.rows, 96, {c.work, 0});
        std::vector<std::pair<std::size_t, std::size_t>> got;
        for (const auto& section : fitted.sections) {
            got.emplace_back(section.lane, section.rows.size());
        }
        EXPECT_EQ(got, c.lanes_and_rows) << c.rows.size() << " accounts";
        EXPECT_EQ(fitted.hidden, c.hidden) << c.rows.size() << " accounts";
    }
}

TEST(FittedLayout, WiderLabelColumnWidensEveryColumn) {
    EXPECT_EQ(panel::column_width(96, 0), 301);
    EXPECT_EQ(panel::column_width(96, 20), 301) << "never narrower than 28 DIPs";
    EXPECT_EQ(panel::column_width(96, 45), 301 + 17);
    EXPECT_EQ(panel::column_width(192, 45), panel::column_width(192, 0)) << "45 px is below 56 at 192 DPI";
    const auto rows = claudes(2);
    EXPECT_EQ(panel::panel_size(PanelLayout::Horizontal, rows, 96, {std::nullopt, 45}).width,
              panel::panel_size(PanelLayout::Horizontal, rows, 96).width + 2 * 17);
}

TEST(FittedLayout, SeparatorsFollowWrappedColumnsAndRows) {
    const auto vertical =
        panel::fit_panel(PanelLayout::Vertical, claudes(14), 96, {panel::Size{1920, 1040}, 0});
    ASSERT_EQ(vertical.sections.size(), 2u);
    EXPECT_EQ(panel::separator_rects(PanelLayout::Vertical, vertical.sections, vertical.size, 96),
              (std::vector<state::Rect>{{13 + 301 + 12, 9, 13 + 301 + 13, vertical.size.height - 9}}));

    const auto horizontal =
        panel::fit_panel(PanelLayout::Horizontal, claudes(3), 96, {panel::Size{700, 1040}, 0});
    ASSERT_EQ(horizontal.sections.size(), 3u);
    const std::int32_t row = horizontal.sections[0].height;
    EXPECT_EQ(panel::separator_rects(PanelLayout::Horizontal, horizontal.sections, horizontal.size, 96),
              (std::vector<state::Rect>{{13 + 301 + 12, 9, 13 + 301 + 13, row + 20 - 9},
                                        {13, 6 + row + 12, horizontal.size.width - 8, 6 + row + 13}}));
}

TEST(MoreAccounts, EveryLanguageSaysHowMany) {
    const std::pair<localization::Language, std::string> cases[] = {
        {localization::Language::English, "+7 more"},      {localization::Language::German, "+7 weitere"},
        {localization::Language::Japanese, "ほか 7 件"},   {localization::Language::Russian, "ещё 7"},
        {localization::Language::FollowSystem, "+7 more"},
    };
    for (const auto& [language, text] : cases) {
        EXPECT_EQ(localization::more_accounts_text(language, 7), text);
    }
    for (std::uint8_t i = 0; i < localization::LANGUAGE_COUNT; ++i) {
        EXPECT_NE(localization::more_accounts_text(static_cast<localization::Language>(i), 12).find("12"),
                  std::string::npos);
    }
}

}  // namespace

#include <gtest/gtest.h>

#include "panel/state_panel_size.hpp"

namespace {

poller::UsageSnapshot claude_row(const char* id) {
    return poller::UsageSnapshot{id, std::nullopt, poller::UsageData{}, accounts::Provider::Claude};
}

TEST(StatePanelSize, FollowsTheStateAndFallsBackToAnEmptyColumnsPanel) {
    state::StateSlot slot;
    EXPECT_EQ(panel::panel_size(96, slot), (panel::Size{322, 40})) << "no state yet";
    slot.install(state::AppState{});
    EXPECT_EQ(panel::panel_size(96, slot), (panel::Size{322, 40})) << "before the first poll";

    const std::vector<poller::UsageSnapshot> rows = {claude_row("claude-1"), claude_row("claude-2")};
    {
        auto guard = slot.lock();
        guard->usage = rows;
        guard->panel_layout = settings::PanelLayout::Vertical;
    }
    EXPECT_EQ(panel::panel_size(144, slot), panel::panel_size(settings::PanelLayout::Vertical, rows, 144));
    EXPECT_NE(panel::panel_size(144, slot), panel::panel_size(settings::PanelLayout::Vertical, {}, 144));
}

}  // namespace

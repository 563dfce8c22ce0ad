#include <gtest/gtest.h>

#include "tray_icon/tray_input.hpp"

namespace {

TEST(TrayInput, CopiesTheStateWithUsageEmptyBeforeTheFirstPoll) {
    state::AppState state;
    state.accounts = {accounts::Account{"codex-3", accounts::Provider::Codex, {}, std::nullopt, 0}};
    state.tray_accounts = std::vector<std::string>{};
    state.tray_metric = settings::TrayMetric::FiveHour;
    state.panel_theme = settings::PanelTheme::MacVibrancy;
    state.effective_language = static_cast<state::LanguageIndex>(localization::Language::German);

    tray_icon::TrayInput input = tray_icon::tray_input(state);
    EXPECT_EQ(input.accounts, state.accounts);
    EXPECT_EQ(input.tray_accounts, state.tray_accounts);
    EXPECT_TRUE(input.usage.empty());
    EXPECT_EQ(input.tray_metric, settings::TrayMetric::FiveHour);
    EXPECT_EQ(input.panel_theme, settings::PanelTheme::MacVibrancy);
    EXPECT_EQ(input.language, localization::Language::German);

    state.usage = std::vector<poller::UsageSnapshot>{
        poller::UsageSnapshot{"codex-3", std::nullopt, std::nullopt, accounts::Provider::Codex}};
    state.effective_language = 200;
    input = tray_icon::tray_input(state);
    EXPECT_EQ(input.usage, *state.usage);
    EXPECT_EQ(input.language, localization::Language::English);
}

}  // namespace

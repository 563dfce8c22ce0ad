#include <gtest/gtest.h>

#include "menu/menu_command.hpp"
#include "menu/menu_input.hpp"
#include "state/save_settings.hpp"

namespace {

using accounts::Account;
using accounts::Provider;
using menu::AccountOperation;
using menu::AccountTask;
using menu::Command;
using menu::CommandEffects;
using menu::CommandKind;
using state::AppState;

TEST(DecodeCommand, EveryBlockAndTheIdentifiersAroundIt) {
    struct Case {
        std::uint32_t id;
        std::optional<Command> command;
    };
    const Case cases[] = {
        {0, std::nullopt},
        {1, std::nullopt},
        {2, Command{CommandKind::Exit, 0}},
        {3, std::nullopt},
        {20, Command{CommandKind::StartWithWindows, 0}},
        {70, Command{CommandKind::AddClaude, 0}},
        {71, Command{CommandKind::AddCodex, 0}},
        {72, std::nullopt},
        {79, std::nullopt},
        {80, Command{CommandKind::PanelTheme, 0}},
        {83, Command{CommandKind::PanelTheme, 3}},
        {84, std::nullopt},
        {90, Command{CommandKind::TrayMetric, 0}},
        {92, Command{CommandKind::TrayMetric, 2}},
        {93, std::nullopt},
        {110, Command{CommandKind::TrayHover, 0}},
        {111, Command{CommandKind::CornerHover, 0}},
        {112, std::nullopt},
        {119, std::nullopt},
        {120, Command{CommandKind::HotCorner, 0}},
        {123, Command{CommandKind::HotCorner, 3}},
        {124, std::nullopt},
        {130, Command{CommandKind::PanelLayout, 0}},
        {132, Command{CommandKind::PanelLayout, 2}},
        {133, std::nullopt},
        {199, std::nullopt},
        {200, Command{CommandKind::Relogin, 0}},
        {263, Command{CommandKind::Relogin, 63}},
        {264, std::nullopt},
        {300, Command{CommandKind::Remove, 0}},
        {363, Command{CommandKind::Remove, 63}},
        {364, std::nullopt},
        {400, Command{CommandKind::TrayAccount, 0}},
        {463, Command{CommandKind::TrayAccount, 63}},
        {464, std::nullopt},
        {0xFFFF, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(menu::decode_command(c.id), c.command) << c.id;
    }
}

Account account(std::string id, Provider provider) {
    return Account{id, provider, "C:/acc/" + id, std::nullopt, 0};
}

AppState three_accounts() {
    AppState state;
    state.accounts = {account("claude-1", Provider::Claude), account("codex-1", Provider::Codex),
                      account("claude-2", Provider::Claude)};
    state.panel_theme = settings::PanelTheme::HybridDark;
    state.tray_metric = settings::TrayMetric::Both;
    state.panel_on_tray_hover = true;
    state.panel_on_corner_hover = false;
    state.hot_corner = settings::TrayCorner::TopLeft;
    state.panel_layout = settings::PanelLayout::Columns;
    return state;
}

CommandEffects effects(bool save, bool reposition, bool render, bool sync_tray) {
    CommandEffects e;
    e.save = save;
    e.reposition_if_visible = reposition;
    e.render = render;
    e.sync_tray = sync_tray;
    return e;
}

TEST(ApplyCommand, ChangesTheStateAndNamesTheFollowUps) {
    using Ids = std::vector<std::string>;
    const CommandEffects save_only = effects(true, false, false, false);
    const CommandEffects save_sync = effects(true, false, false, true);
    CommandEffects quit;
    quit.quit = true;
    CommandEffects autostart;
    autostart.toggle_autostart = true;
    struct Case {
        std::uint32_t id;
        std::optional<Ids> tray_before;
        CommandEffects effects;
        void (*expected)(AppState&);
    };
    const Case cases[] = {
        {2, std::nullopt, quit, [](AppState&) {}},
        {20, std::nullopt, autostart, [](AppState&) {}},
        {81, std::nullopt, effects(true, true, true, true),
         [](AppState& s) { s.panel_theme = settings::PanelTheme::Win11Fluent; }},
        // The current theme again still saves and renders.
        {82, std::nullopt, effects(true, true, true, true), [](AppState&) {}},
        {92, std::nullopt, save_sync, [](AppState& s) { s.tray_metric = settings::TrayMetric::SevenDay; }},
        {110, std::nullopt, save_only, [](AppState& s) { s.panel_on_tray_hover = false; }},
        {111, std::nullopt, save_only, [](AppState& s) { s.panel_on_corner_hover = true; }},
        {123, std::nullopt, save_only, [](AppState& s) { s.hot_corner = settings::TrayCorner::BottomRight; }},
        {131, std::nullopt, effects(true, true, true, false),
         [](AppState& s) { s.panel_layout = settings::PanelLayout::Vertical; }},
        {401, std::nullopt, save_sync,
         [](AppState& s) {
             s.tray_accounts = Ids{"claude-1", "claude-2"};
         }},
        {400, Ids{"codex-1"}, save_sync,
         [](AppState& s) {
             s.tray_accounts = Ids{"codex-1", "claude-1"};
         }},
        {401, Ids{"codex-1"}, save_sync, [](AppState& s) { s.tray_accounts = Ids{}; }},
        // Past the end: saved and synchronised, an absent selection stays absent.
        {403, std::nullopt, save_sync, [](AppState&) {}},
        {463, Ids{"claude-2"}, save_sync, [](AppState&) {}},
        {200 + 3, std::nullopt, CommandEffects{}, [](AppState&) {}},
        {300 + 7, std::nullopt, CommandEffects{}, [](AppState&) {}},
        {85, std::nullopt, CommandEffects{}, [](AppState&) {}},
    };
    for (const Case& c : cases) {
        AppState actual = three_accounts();
        actual.tray_accounts = c.tray_before;
        AppState expected = actual;
        c.expected(expected);
        EXPECT_EQ(menu::apply_command_id(&actual, c.id), c.effects) << c.id;
        EXPECT_EQ(state::settings_from_state(actual), state::settings_from_state(expected)) << c.id;
        EXPECT_EQ(actual.tray_accounts.has_value(), expected.tray_accounts.has_value()) << c.id;
    }
}

TEST(ApplyCommand, AccountCommandsCarryTheAccountAsItWasWhenApplied) {
    AppState state = three_accounts();
    const auto relogin = menu::apply_command_id(&state, 201).account_task;
    ASSERT_TRUE(relogin);
    EXPECT_EQ(*relogin, (AccountTask{AccountOperation::Relogin, Provider::Codex, state.accounts[1]}));
    const auto remove = menu::apply_command_id(&state, 302).account_task;
    ASSERT_TRUE(remove);
    EXPECT_EQ(*remove, (AccountTask{AccountOperation::Remove, Provider::Claude, state.accounts[2]}));
    EXPECT_EQ(menu::apply_command_id(&state, 71).account_task,
              (AccountTask{AccountOperation::Add, Provider::Codex, std::nullopt}));
}

TEST(ApplyCommand, WithoutAStateOnlyExitAutostartAndAddAct) {
    for (std::uint32_t id : {81u, 92u, 110u, 111u, 123u, 131u, 200u, 300u, 400u}) {
        EXPECT_EQ(menu::apply_command_id(nullptr, id), CommandEffects{}) << id;
    }
    EXPECT_TRUE(menu::apply_command_id(nullptr, 2).quit);
    EXPECT_TRUE(menu::apply_command_id(nullptr, 20).toggle_autostart);
    EXPECT_EQ(menu::apply_command_id(nullptr, 70).account_task,
              (AccountTask{AccountOperation::Add, Provider::Claude, std::nullopt}));
}

TEST(MenuInput, CopiesTheStateAndDrawsInTheEffectiveLanguage) {
    AppState state = three_accounts();
    state.tray_accounts = std::vector<std::string>{"codex-1"};
    state.panel_layout = settings::PanelLayout::Horizontal;
    state.panel_on_corner_hover = true;
    state.language = state::FOLLOW_SYSTEM_LANGUAGE;
    state.effective_language = static_cast<state::LanguageIndex>(localization::Language::Korean);
    const menu::MenuInput input = menu::menu_input(state, true);
    EXPECT_EQ(input.language, localization::Language::Korean);
    EXPECT_EQ(input.accounts, state.accounts);
    EXPECT_EQ(input.tray_accounts, state.tray_accounts);
    EXPECT_EQ(input.panel_layout, settings::PanelLayout::Horizontal);
    EXPECT_TRUE(input.panel_on_corner_hover);
    EXPECT_TRUE(input.autostart);

    state.effective_language = state::FOLLOW_SYSTEM_LANGUAGE;  // never a drawn language
    EXPECT_EQ(menu::menu_input(state, false).language, localization::Language::English);
}

}  // namespace

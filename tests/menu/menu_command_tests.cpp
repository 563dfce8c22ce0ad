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
    using K = CommandKind;
    const std::pair<std::uint32_t, Command> known[] = {
        {2, {K::Exit, 0}},          {20, {K::StartWithWindows, 0}}, {70, {K::AddClaude, 0}},
        {71, {K::AddCodex, 0}},     {80, {K::PanelTheme, 0}},       {83, {K::PanelTheme, 3}},
        {90, {K::TrayMetric, 0}},   {92, {K::TrayMetric, 2}},       {110, {K::TrayHover, 0}},
        {111, {K::CornerHover, 0}}, {120, {K::HotCorner, 0}},       {123, {K::HotCorner, 3}},
        {130, {K::PanelLayout, 0}}, {132, {K::PanelLayout, 2}},     {200, {K::Relogin, 0}},
        {263, {K::Relogin, 63}},    {300, {K::Remove, 0}},          {363, {K::Remove, 63}},
        {400, {K::TrayAccount, 0}}, {463, {K::TrayAccount, 63}},
        {140, {K::Notifications, 0}}, {141, {K::ShowPace, 0}}, {142, {K::ShowRemaining, 0}},
    };
    for (const auto& [id, command] : known) {
        EXPECT_EQ(menu::decode_command(id), command) << id;
        EXPECT_EQ(menu::command_id(command), id);
    }
    for (std::uint32_t id :
         {0u, 1u, 3u, 72u, 79u, 84u, 93u, 112u, 119u, 124u, 133u, 139u, 143u, 199u, 264u, 364u, 464u, 0xFFFFu}) {
        EXPECT_EQ(menu::decode_command(id), std::nullopt) << id;
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
    state.panel_on_tray_hover = true;
    state.panel_on_corner_hover = false;
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
    CommandEffects gone;
    gone.account_gone = true;
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
        // Past the end: nothing changes, and the caller hears the account is gone.
        {403, std::nullopt, gone, [](AppState&) {}},
        {463, Ids{"claude-2"}, gone, [](AppState&) {}},
        {200 + 3, std::nullopt, gone, [](AppState&) {}},
        {300 + 7, std::nullopt, gone, [](AppState&) {}},
        {85, std::nullopt, CommandEffects{}, [](AppState&) {}},
        {140, std::nullopt, save_only,
         [](AppState& s) {
             s.notify_near_limit = 0;
             s.notify_reset = false;
         }},
        {141, std::nullopt, effects(true, true, true, true), [](AppState& s) { s.show_pace = true; }},
        {142, std::nullopt, effects(true, true, true, true), [](AppState& s) { s.show_remaining = true; }},
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

TEST(ApplyCommand, NotificationsTurnBothNoticesOffOrBothOn) {
    struct Case {
        std::uint8_t near_limit;
        bool reset;
        std::uint8_t near_limit_after;
        bool reset_after;
    };
    const Case cases[] = {{90, true, 0, false}, {75, false, 0, false}, {0, true, 0, false}, {0, false, 90, true}};
    for (const Case& c : cases) {
        AppState state;
        state.notify_near_limit = c.near_limit;
        state.notify_reset = c.reset;
        EXPECT_EQ(menu::menu_input(state, false).notifications, c.near_limit != 0 || c.reset);
        (void)menu::apply_command_id(&state, menu::CMD_NOTIFICATIONS);
        EXPECT_EQ(state.notify_near_limit, c.near_limit_after) << int(c.near_limit);
        EXPECT_EQ(state.notify_reset, c.reset_after) << int(c.near_limit);
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

TEST(ApplyCommand, AnAccountsCommandActsOnTheAccountItsEntryWasBuiltFor) {
    // The list as it is when the command arrives: claude-1 left since the menu was built.
    AppState now = three_accounts();
    now.accounts.erase(now.accounts.begin());
    struct Case {
        std::uint32_t id;
        const char* built_for;
        std::optional<AccountTask> task;
        std::optional<std::vector<std::string>> tray_after;
    };
    const Case cases[] = {
        {302, "claude-2", AccountTask{AccountOperation::Remove, Provider::Claude, now.accounts[1]}, {}},
        {201, "codex-1", AccountTask{AccountOperation::Relogin, Provider::Codex, now.accounts[0]}, {}},
        // Row 0 now holds codex-1: the command for claude-1 does nothing.
        {300, "claude-1", std::nullopt, {}},
        {200, "claude-1", std::nullopt, {}},
        {400, "claude-1", std::nullopt, {}},
        {401, "codex-1", std::nullopt, std::vector<std::string>{"claude-2"}},
        // An identifier the shown menu did not have names no account.
        {305, "", std::nullopt, {}},
    };
    for (const Case& c : cases) {
        AppState state = now;
        const CommandEffects effects = menu::apply_command_id(&state, c.id, std::string(c.built_for));
        EXPECT_EQ(effects.account_task, c.task) << c.id << " " << c.built_for;
        EXPECT_EQ(state.tray_accounts, c.tray_after) << c.id << " " << c.built_for;
        EXPECT_EQ(effects.account_gone, !c.task && !c.tray_after) << c.id << " " << c.built_for;
        EXPECT_EQ(state.accounts, now.accounts);
    }
}

TEST(ApplyCommand, AnIndexOutsideItsBlockChangesNothing) {
    AppState state = three_accounts();
    EXPECT_EQ(menu::command_id(Command{CommandKind::PanelTheme, 4}), 0u);
    EXPECT_EQ(menu::apply_command(&state, Command{CommandKind::PanelTheme, 4}), CommandEffects{});
    EXPECT_EQ(state.panel_theme, settings::PanelTheme::HybridDark);
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

TEST(MenuInput, DrawsInTheEffectiveLanguage) {
    AppState state = three_accounts();
    state.effective_language = static_cast<state::LanguageIndex>(localization::Language::Korean);
    EXPECT_EQ(menu::menu_input(state, true).language, localization::Language::Korean);
    state.effective_language = state::FOLLOW_SYSTEM_LANGUAGE;  // never a drawn language
    EXPECT_EQ(menu::menu_input(state, false).language, localization::Language::English);
}

}  // namespace

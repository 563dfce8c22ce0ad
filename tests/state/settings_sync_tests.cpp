#include <gtest/gtest.h>

#include "settings/settings_load.hpp"
#include "settings/settings_write.hpp"
#include "state/app_state.hpp"
#include "state/save_settings.hpp"
#include "state/settings_notice.hpp"
#include "state/settings_sync.hpp"
#include "support/temp_folder.hpp"

namespace {

using accounts::Account;
using accounts::Provider;
using state::StateSlot;

Account account(const std::string& id) {
    return Account{id, Provider::Claude, "/accounts/" + id, std::nullopt, 0};
}

settings::SettingsFile with(std::vector<Account> list) {
    settings::SettingsFile s;
    s.accounts = std::move(list);
    return s;
}

// A process that read the file at its start, as the program and gaugelet-cli do.
void start_from_file(StateSlot& slot, const std::filesystem::path& path) {
    slot.install(
        state::state_from_load(settings::read_settings_file(path), state::FOLLOW_SYSTEM_LANGUAGE, 0));
}

struct TwoWriters : ::testing::Test {
    test_support::TempFolder folder;
    std::filesystem::path path = folder / "Quotavane/settings.json";
    StateSlot program;
    StateSlot cli;

    void SetUp() override {
        ASSERT_FALSE(settings::write_settings_file(path, with({account("claude-1")})));
        start_from_file(program, path);
        start_from_file(cli, path);
    }
    void cli_adds(const std::string& id) {
        cli.lock()->accounts.push_back(account(id));
        ASSERT_FALSE(state::save_settings(cli, path));
    }
};

TEST_F(TwoWriters, TheProgramsNextSaveKeepsTheAccountTheCliAdded) {
    cli_adds("claude-2");
    program.lock()->panel_theme = settings::PanelTheme::MacVibrancy;
    ASSERT_FALSE(state::save_settings(program, path));

    const auto file = settings::load_settings(path);
    ASSERT_EQ(file.accounts.size(), 2u);
    EXPECT_EQ(file.accounts[1].id, "claude-2");
    EXPECT_EQ(file.panel_theme, settings::PanelTheme::MacVibrancy);
    const auto guard = program.lock();
    EXPECT_EQ(guard->accounts.size(), 2u) << "the save took the other writer's account in";
    EXPECT_TRUE(guard->accounts_changed_outside);
}

TEST_F(TwoWriters, AReloadSaysWhatTheFileMeansForTheRunningProgram) {
    const auto reload = [&] { return state::reload_settings(program, path); };

    EXPECT_EQ(reload().result, state::ReloadResult::Unchanged) << "nothing changed since start";

    program.lock()->pinned = true;
    ASSERT_FALSE(state::save_settings(program, path));
    EXPECT_EQ(reload().result, state::ReloadResult::Unchanged) << "the program's own save";

    cli_adds("claude-2");
    const auto taken = reload();
    EXPECT_EQ(taken.result, state::ReloadResult::TakenIn);
    EXPECT_TRUE(taken.accounts_changed);
    EXPECT_EQ(program.lock()->accounts.size(), 2u);
    EXPECT_TRUE(program.lock()->pinned) << "the program's own setting stays";

    const std::string broken = "{\"pinned\": tru}";
    test_support::write_text(path, broken);
    EXPECT_EQ(reload().result, state::ReloadResult::Invalid);
    EXPECT_EQ(program.lock()->accounts.size(), 2u) << "the state is kept";
    EXPECT_EQ(test_support::read_text(path), broken) << "and the file is left alone";

    program.lock()->panel_layout = settings::PanelLayout::Vertical;
    ASSERT_FALSE(state::save_settings(program, path));
    EXPECT_EQ(test_support::read_text(folder / "Quotavane/settings.json.invalid"), broken);
    EXPECT_EQ(settings::load_settings(path).accounts.size(), 2u);
}

TEST_F(TwoWriters, ARemovalByTheCliTakesTheAccountAndItsReadingsAway) {
    program.lock()->usage = std::vector<poller::UsageSnapshot>{
        poller::UsageSnapshot{"claude-1", std::nullopt, std::nullopt, Provider::Claude}};
    cli.lock()->accounts.clear();
    ASSERT_FALSE(state::save_settings(cli, path));
    const auto reload = state::reload_settings(program, path);
    EXPECT_TRUE(reload.accounts_changed);
    const auto guard = program.lock();
    EXPECT_TRUE(guard->accounts.empty());
    EXPECT_TRUE(guard->usage->empty());
}

// The folder cannot be written: the change stays, the user is told once, the next save retries.
TEST(FailedSave, IsKeptToldOnceAndRetried) {
    test_support::TempFolder folder;
    const auto blocked = folder / "Quotavane";
    test_support::write_text(blocked, "a file where the folder belongs");
    const auto path = blocked / "settings.json";
    StateSlot slot;
    start_from_file(slot, path);

    slot.lock()->panel_theme = settings::PanelTheme::HybridLight;
    ASSERT_TRUE(state::save_settings(slot, path));
    {
        const auto guard = slot.lock();
        EXPECT_TRUE(guard->settings_unsaved);
        ASSERT_TRUE(guard->settings_notice);
        EXPECT_EQ(guard->settings_notice->kind, state::SettingsNotice::Kind::SaveFailed);
        EXPECT_FALSE(guard->settings_notice->detail.empty());
        guard->settings_notice.reset();  // shown
    }
    slot.lock()->pinned = true;
    ASSERT_TRUE(state::save_settings(slot, path));
    EXPECT_FALSE(slot.lock()->settings_notice) << "told once";

    std::filesystem::remove(blocked);
    ASSERT_FALSE(state::save_if_unsaved(slot, path));
    const auto file = settings::load_settings(path);
    EXPECT_EQ(file.panel_theme, settings::PanelTheme::HybridLight);
    EXPECT_TRUE(file.pinned);
    EXPECT_FALSE(slot.lock()->settings_unsaved);
}

// What the user is told at start about a file Notepad saved and one with a typo.
TEST(SettingsAtStart, AFileThatDoesNotLoadIsKeptAsideAndToldOnce) {
    const struct {
        const char* name;
        std::string text;
        bool told;
        const char* where;
    } cases[] = {
        {"byte-order mark", "\xEF\xBB\xBF{\"pinned\": true}", false, ""},
        {"trailing comma", "{\n  \"pinned\": true,\n}", true, "(line 3, column 1)"},
    };
    for (const auto& c : cases) {
        test_support::TempFolder folder;
        const auto path = folder / "settings.json";
        test_support::write_text(path, c.text);
        const auto loaded = settings::read_settings_file(path);
        StateSlot slot;
        slot.install(state::state_from_load(loaded, state::FOLLOW_SYSTEM_LANGUAGE, 0));
        state::note_settings_load(*slot.lock(), path, loaded);

        EXPECT_EQ(slot.lock()->pinned, !c.told) << c.name;
        const auto notice = state::take_settings_notice(slot);
        ASSERT_EQ(notice.has_value(), c.told) << c.name;
        EXPECT_EQ(std::filesystem::exists(folder / "settings.json.invalid"), c.told) << c.name;
        if (c.told) {
            EXPECT_EQ(test_support::read_text(folder / "settings.json.invalid"), c.text);
            EXPECT_NE(notice->find("settings.json.invalid"), std::string::npos) << *notice;
            EXPECT_NE(notice->find(c.where), std::string::npos) << *notice;
            EXPECT_FALSE(state::take_settings_notice(slot)) << "told once";
            EXPECT_FALSE(slot.lock()->keep_settings_aside) << "nothing left for the first save to keep";
            ASSERT_FALSE(state::save_settings(slot, path));
            std::size_t entries = 0;
            for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) {
                ++entries;
            }
            EXPECT_EQ(entries, 2u) << "the first save makes no second copy of the same file";
        }
    }
}

TEST(SettingsNotice, EveryLanguageNamesTheReason) {
    for (state::LanguageIndex language = 0; language < 10; ++language) {
        StateSlot slot;
        state::AppState s;
        s.effective_language = language;
        s.settings_notice =
            state::SettingsNotice{state::SettingsNotice::Kind::SaveFailed, "Access is denied.", ""};
        slot.install(s);
        const auto saved = state::take_settings_notice(slot);
        ASSERT_TRUE(saved);
        EXPECT_NE(saved->find("Access is denied."), std::string::npos) << int(language);

        slot.lock()->settings_notice = state::SettingsNotice{state::SettingsNotice::Kind::KeptAside,
                                                             "repeated key", "settings.json.invalid"};
        const auto kept = state::take_settings_notice(slot);
        ASSERT_TRUE(kept);
        EXPECT_NE(kept->find("settings.json.invalid"), std::string::npos) << int(language);
        EXPECT_NE(kept->find("repeated key"), std::string::npos) << int(language);
        EXPECT_NE(*saved, *kept);
    }
}

}  // namespace

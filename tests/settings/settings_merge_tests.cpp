#include <gtest/gtest.h>

#include "settings/settings_load.hpp"
#include "settings/settings_merge.hpp"
#include "settings/settings_write.hpp"
#include "support/temp_folder.hpp"

namespace {

using accounts::Account;
using accounts::Provider;
using settings::SettingsFile;

Account account(const std::string& id, std::optional<std::string> email = std::nullopt) {
    return Account{id, Provider::Claude, "/accounts/" + id, std::move(email), 0};
}

SettingsFile with(std::vector<Account> list, settings::PanelTheme theme = settings::PanelTheme::HybridDark) {
    SettingsFile s;
    s.accounts = std::move(list);
    s.panel_theme = theme;
    return s;
}

std::vector<std::string> ids(const SettingsFile& s) {
    std::vector<std::string> out;
    for (const auto& a : s.accounts) {
        out.push_back(a.id);
    }
    return out;
}

TEST(MergeSettings, KeepsEachWritersOwnChange) {
    using settings::PanelTheme;
    const struct {
        const char* name;
        SettingsFile base, ours, theirs;
        std::vector<std::string> ids;
        PanelTheme theme;
    } cases[] = {
        {"they added, we changed the theme",
         with({account("claude-1")}),
         with({account("claude-1")}, PanelTheme::MacVibrancy),
         with({account("claude-1"), account("claude-2")}),
         {"claude-1", "claude-2"},
         PanelTheme::MacVibrancy},
        {"we added, they changed the theme",
         with({}),
         with({account("claude-1")}),
         with({}, PanelTheme::HybridLight),
         {"claude-1"},
         PanelTheme::HybridLight},
        {"both added",
         with({account("claude-1")}),
         with({account("claude-1"), account("claude-2")}),
         with({account("claude-1"), account("claude-3")}),
         {"claude-1", "claude-3", "claude-2"},
         PanelTheme::HybridDark},
        {"we removed, they added",
         with({account("claude-1"), account("claude-2")}),
         with({account("claude-2")}),
         with({account("claude-1"), account("claude-2"), account("claude-3")}),
         {"claude-2", "claude-3"},
         PanelTheme::HybridDark},
        {"they removed, we changed nothing of it",
         with({account("claude-1"), account("claude-2")}),
         with({account("claude-1"), account("claude-2")}, PanelTheme::Win11Fluent),
         with({account("claude-2")}),
         {"claude-2"},
         PanelTheme::Win11Fluent},
    };
    for (const auto& c : cases) {
        const SettingsFile merged = settings::merge_settings(c.base, c.ours, c.theirs);
        EXPECT_EQ(ids(merged), c.ids) << c.name;
        EXPECT_EQ(merged.panel_theme, c.theme) << c.name;
    }
}

// Every member this process changed is written as ours: a member the merge forgets would silently
// undo the user's choice at the next save.
TEST(MergeSettings, TakesEveryMemberThisProcessChanged) {
    SettingsFile ours = with({account("claude-1")}, settings::PanelTheme::MacVibrancy);
    ours.tray_offset = 3;
    ours.language = "de";
    ours.widget_visible = false;
    ours.tray_metric = settings::TrayMetric::SevenDay;
    ours.panel_on_tray_hover = false;
    ours.panel_on_corner_hover = true;
    ours.pinned = true;
    ours.hot_corner = settings::TrayCorner::BottomRight;
    ours.panel_layout = settings::PanelLayout::Horizontal;
    ours.tray_accounts = std::vector<std::string>{"claude-1"};
    ours.notify_near_limit = 75;
    ours.notify_reset = false;
    ours.show_pace = true;
    ours.show_remaining = true;
    EXPECT_EQ(settings::merge_settings(SettingsFile{}, ours, SettingsFile{}), ours);
}

TEST(MergeSettings, AReloginOfOursReplacesTheEntryInPlace) {
    const SettingsFile base = with({account("claude-1"), account("claude-2")});
    const SettingsFile ours = with({account("claude-1"), account("claude-2", "new@example.com")});
    const SettingsFile theirs = with({account("claude-2"), account("claude-1", "theirs@example.com")});
    const SettingsFile merged = settings::merge_settings(base, ours, theirs);
    ASSERT_EQ(ids(merged), (std::vector<std::string>{"claude-2", "claude-1"}));
    EXPECT_EQ(merged.accounts[0].email, "new@example.com");
    EXPECT_EQ(merged.accounts[1].email, "theirs@example.com");
}

// Two writers with their own view of the file, as the program and gaugelet-cli have.
TEST(UpdateSettingsFile, AppliesOneChangeOntoWhatTheFileHoldsNow) {
    test_support::TempFolder folder;
    const auto path = folder / "Quotavane/settings.json";
    const SettingsFile start = with({account("claude-1")});
    ASSERT_FALSE(settings::write_settings_file(path, start));

    const auto cli =
        settings::update_settings_file(path, start, with({account("claude-1"), account("claude-2")}));
    ASSERT_TRUE(cli.written) << cli.error.value_or("");
    const auto program = settings::update_settings_file(
        path, start, with({account("claude-1")}, settings::PanelTheme::MacVibrancy));
    ASSERT_TRUE(program.written) << program.error.value_or("");

    const SettingsFile file = settings::load_settings(path);
    EXPECT_EQ(ids(file), (std::vector<std::string>{"claude-1", "claude-2"}));
    EXPECT_EQ(file.panel_theme, settings::PanelTheme::MacVibrancy);
    EXPECT_EQ(*program.written, file);
}

TEST(UpdateSettingsFile, AFolderThatCannotBeMadeIsAReasonAndNoFile) {
    test_support::TempFolder folder;
    test_support::write_text(folder / "Quotavane", "a file where the folder belongs");
    const auto outcome =
        settings::update_settings_file(folder / "Quotavane/settings.json", {}, with({account("claude-1")}));
    EXPECT_FALSE(outcome.written);
    ASSERT_TRUE(outcome.error);
    EXPECT_FALSE(outcome.error->empty());
}

TEST(DecodeSettings, SkipsALeadingByteOrderMarkOnly) {
    const struct {
        const char* name;
        std::string text;
        bool loads;
    } cases[] = {
        {"mark then object", "\xEF\xBB\xBF{\"pinned\": true}", true},
        {"no mark", "{\"pinned\": true}", true},
        {"two marks", "\xEF\xBB\xBF\xEF\xBB\xBF{\"pinned\": true}", false},
        {"mark after blank", " \xEF\xBB\xBF{\"pinned\": true}", false},
    };
    for (const auto& c : cases) {
        const auto decoded = settings::decode_settings(c.text);
        ASSERT_EQ(std::holds_alternative<SettingsFile>(decoded), c.loads) << c.name;
        if (c.loads) {
            EXPECT_TRUE(std::get<SettingsFile>(decoded).pinned) << c.name;
        }
    }
}

TEST(DescribeSettingsError, NamesTheFileTheRuleAndWhereItIs) {
    test_support::TempFolder folder;
    const auto path = folder / "settings.json";
    test_support::write_text(path, "{\n  \"pinned\": true,\n}");
    const auto outcome = settings::read_settings_file(path);
    ASSERT_EQ(outcome.status, settings::FileStatus::Invalid);
    ASSERT_TRUE(outcome.error);
    const std::string text = settings::describe_settings_error(path, *outcome.error);
    EXPECT_NE(text.find("settings.json:3:1: "), std::string::npos) << text;
}

}  // namespace

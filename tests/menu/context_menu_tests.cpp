#include <gtest/gtest.h>

#include "menu/context_menu.hpp"

namespace {

using accounts::Account;
using accounts::Provider;
using menu::MenuEntry;

Account account(std::string id, Provider provider, std::optional<std::string> email = std::nullopt) {
    return Account{std::move(id), provider, {}, std::move(email), 0};
}

// The tree as an indented outline: "[x]" checked, "(id)" command, "--" separator.
void outline(const std::vector<MenuEntry>& entries, int depth, std::string& out) {
    for (const MenuEntry& e : entries) {
        out += std::string(static_cast<std::size_t>(depth) * 2, ' ');
        if (e.kind == MenuEntry::Kind::Separator) {
            out += "--\n";
            continue;
        }
        out += (e.checked ? "[x] " : "") + e.text;
        out += e.kind == MenuEntry::Kind::Command
                   ? " (" + std::to_string(e.id) + (e.enabled ? "" : ", disabled") + ")\n"
                   : " >\n";
        outline(e.children, depth + 1, out);
    }
}

std::string outline(const std::vector<MenuEntry>& entries) {
    std::string out;
    outline(entries, 0, out);
    return out;
}

TEST(ContextMenu, FullTreeWithAccountsAndCurrentSettings) {
    menu::MenuInput input;
    input.panel_theme = settings::PanelTheme::HybridLight;
    input.tray_metric = settings::TrayMetric::SevenDay;
    input.hot_corner = settings::TrayCorner::BottomRight;
    input.panel_layout = settings::PanelLayout::Vertical;
    input.panel_on_tray_hover = false;
    input.panel_on_corner_hover = true;
    input.autostart = true;
    input.show_remaining = true;
    input.accounts = {account("claude-1", Provider::Claude, "me@example.com"),
                      account("codex-1", Provider::Codex)};
    input.tray_accounts = std::vector<std::string>{"codex-1"};
    EXPECT_EQ(outline(menu::build_context_menu(input)),
              "Accounts >\n"
              "  Add Claude account (70)\n"
              "  Add Codex account (71)\n"
              "  --\n"
              "  Claude \u2014 me@example.com >\n"
              "    Re-login (200)\n"
              "    Remove (300)\n"
              "  Codex \u2014 codex-1 >\n"
              "    Re-login (201)\n"
              "    Remove (301)\n"
              "Settings >\n"
              "  Panel on tray hover (110)\n"
              "  [x] Panel on corner hover (111)\n"
              "  Hot corner >\n"
              "    Top-left (120)\n"
              "    Top-right (121)\n"
              "    Bottom-left (122)\n"
              "    [x] Bottom-right (123)\n"
              "  Tray metric >\n"
              "    5h + 7d (90)\n"
              "    5h only (91)\n"
              "    [x] 7d only (92)\n"
              "  Tray accounts >\n"
              "    Claude \u2014 me@example.com (400)\n"
              "    [x] Codex \u2014 codex-1 (401)\n"
              "  Panel Theme >\n"
              "    macOS Vibrancy (80)\n"
              "    Windows 11 Fluent (81)\n"
              "    Refined Hybrid (Dark) (82)\n"
              "    [x] Refined Hybrid (Light) (83)\n"
              "  Layout >\n"
              "    Columns (by provider) (130)\n"
              "    [x] Vertical stack (131)\n"
              "    Horizontal row (132)\n"
              "  [x] Notifications (140)\n"
              "  Show pace (141)\n"
              "  [x] Show remaining (142)\n"
              "  [x] Start with Windows (20)\n"
              "--\n"
              "Exit (2)\n"
              "--\n"
              "Gaugelet " GAUGELET_VERSION " (0, disabled)\n");
}

TEST(ContextMenu, AccountEntriesNameTheirAccount) {
    menu::MenuInput input;
    input.accounts = {account("claude-1", Provider::Claude), account("work", Provider::Codex)};
    const auto entries = menu::build_context_menu(input);
    const std::pair<std::uint32_t, std::string> cases[] = {
        {200, "claude-1"}, {301, "work"}, {400, "claude-1"}, {401, "work"},
        {202, ""},         {2, ""},       {80, ""},          {0, ""},
    };
    for (const auto& [id, account_id] : cases) {
        EXPECT_EQ(menu::entry_account(entries, id), account_id) << id;
    }
}

TEST(ContextMenu, NoAccountsAndKoreanTexts) {
    menu::MenuInput input;
    input.language = localization::Language::Korean;
    const auto root = menu::build_context_menu(input);
    ASSERT_EQ(root.size(), 6u);
    ASSERT_EQ(root[0].children.size(), 2u) << "only the two Add entries, no separator";
    EXPECT_EQ(root.back().text, "Gaugelet " GAUGELET_VERSION) << "the version is not translated";
    EXPECT_FALSE(root.back().enabled);
    EXPECT_EQ(root[1].text, "설정");
    EXPECT_EQ(root[3].text, "종료");
    EXPECT_EQ(root[1].children.back().text, "Windows 시작 시 자동 실행");
    EXPECT_EQ(root[1].children[0].text, "Panel on tray hover") << "other entries stay English";
    EXPECT_EQ(root[1].children[7].text, "알림");
    const MenuEntry& tray = root[1].children[4];
    EXPECT_EQ(tray.text, "Tray accounts");
    EXPECT_EQ(tray.kind, MenuEntry::Kind::Submenu);
    EXPECT_TRUE(tray.children.empty());
}

TEST(ContextMenu, AbsentTraySelectionChecksEveryAccountAndTheListStopsAt64) {
    menu::MenuInput input;
    for (int i = 0; i < 70; ++i) {
        input.accounts.push_back(account("claude-" + std::to_string(i), Provider::Claude));
    }
    const auto root = menu::build_context_menu(input);
    const auto& tray = root[1].children[4].children;
    ASSERT_EQ(tray.size(), 64u);
    EXPECT_TRUE(std::all_of(tray.begin(), tray.end(), [](const MenuEntry& e) { return e.checked; }));
    EXPECT_EQ(tray.back().id, 463u);
    EXPECT_EQ(root[0].children.size(), 2u + 1u + 64u);
    EXPECT_EQ(root[0].children.back().children[1].id, 363u);
}

TEST(TrayAccountToggle, FillsAnAbsentListThenRemovesOrAppendsAndIgnoresNumbersPastTheEnd) {
    const std::vector<Account> accounts = {account("claude-1", Provider::Claude),
                                           account("codex-1", Provider::Codex),
                                           account("claude-2", Provider::Claude)};
    using Ids = std::vector<std::string>;
    struct Case {
        std::optional<Ids> before;
        std::size_t index;
        std::optional<Ids> after;
    };
    const Case cases[] = {
        {std::nullopt, 1, Ids{"claude-1", "claude-2"}},
        {Ids{"claude-2"}, 0, Ids{"claude-2", "claude-1"}},  // appended: list order may differ
        {Ids{"codex-1"}, 1, Ids{}},                         // an empty list stays set
        {std::nullopt, 9, std::nullopt},                    // past the end: an absent list stays absent
        {Ids{"codex-1"}, 3, Ids{"codex-1"}},
        {Ids{"codex-1", "codex-1", "claude-1"}, 1, Ids{"claude-1"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(menu::toggled_tray_accounts(accounts, c.before, c.index), c.after) << c.index;
    }
}

}  // namespace

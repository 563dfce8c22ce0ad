#include "menu/context_menu.hpp"

#include <fmt/format.h>

#include <algorithm>

#include "localization/feature_texts.hpp"
#include "localization/string_table.hpp"

namespace menu {
namespace {

using Kind = MenuEntry::Kind;

MenuEntry command(std::string text, std::uint32_t id, bool checked = false) {
    return MenuEntry{Kind::Command, std::move(text), id, checked, {}};
}

MenuEntry account_command(std::string text, std::uint32_t id, const accounts::Account& account,
                          bool checked = false) {
    MenuEntry entry = command(std::move(text), id, checked);
    entry.account_id = account.id;
    return entry;
}

MenuEntry submenu(std::string text, std::vector<MenuEntry> children) {
    return MenuEntry{Kind::Submenu, std::move(text), 0, false, std::move(children)};
}

MenuEntry separator() {
    return MenuEntry{Kind::Separator, {}, 0, false, {}};
}

// One radio-like group: the entry of the current value carries the check mark.
std::vector<MenuEntry> choices(std::initializer_list<const char*> texts, std::uint32_t base, int current) {
    std::vector<MenuEntry> entries;
    int index = 0;
    for (const char* text : texts) {
        entries.push_back(command(text, base + static_cast<std::uint32_t>(index), index == current));
        ++index;
    }
    return entries;
}

bool in_tray(const accounts::Account& account, const std::optional<std::vector<std::string>>& tray_accounts) {
    return !tray_accounts ||
           std::find(tray_accounts->begin(), tray_accounts->end(), account.id) != tray_accounts->end();
}

}  // namespace

std::string account_entry_text(const accounts::Account& account) {
    const char* provider = account.provider == accounts::Provider::Codex ? "Codex" : "Claude";
    return fmt::format("{} \u2014 {}", provider, account.email ? *account.email : account.id);
}

std::vector<MenuEntry> build_context_menu(const MenuInput& input) {
    const localization::StringTable& strings = localization::string_table(input.language);
    const localization::FeatureTexts& texts = localization::feature_texts(input.language);
    const std::size_t shown = std::min(input.accounts.size(), MAX_MENU_ACCOUNTS);

    std::vector<MenuEntry> account_entries = {command("Add Claude account", CMD_ADD_CLAUDE),
                                              command("Add Codex account", CMD_ADD_CODEX)};
    if (shown > 0) {
        account_entries.push_back(separator());
    }
    std::vector<MenuEntry> tray_entries;
    for (std::size_t i = 0; i < shown; ++i) {
        const auto& account = input.accounts[i];
        const auto index = static_cast<std::uint32_t>(i);
        account_entries.push_back(submenu(account_entry_text(account),
                                          {account_command("Re-login", CMD_RELOGIN_BASE + index, account),
                                           account_command("Remove", CMD_REMOVE_BASE + index, account)}));
        tray_entries.push_back(account_command(account_entry_text(account), CMD_TRAY_ACCOUNT_BASE + index,
                                               account, in_tray(account, input.tray_accounts)));
    }

    std::vector<MenuEntry> settings_entries = {
        command("Panel on tray hover", CMD_TRAY_HOVER, input.panel_on_tray_hover),
        command("Panel on corner hover", CMD_CORNER_HOVER, input.panel_on_corner_hover),
        submenu("Hot corner", choices({"Top-left", "Top-right", "Bottom-left", "Bottom-right"},
                                      CMD_HOT_CORNER_BASE, static_cast<int>(input.hot_corner))),
        submenu("Tray metric", choices({"5h + 7d", "5h only", "7d only"}, CMD_TRAY_METRIC_BASE,
                                       static_cast<int>(input.tray_metric))),
        submenu("Tray accounts", std::move(tray_entries)),
        submenu("Panel Theme", choices({"macOS Vibrancy", "Windows 11 Fluent", "Refined Hybrid (Dark)",
                                        "Refined Hybrid (Light)"},
                                       CMD_THEME_BASE, static_cast<int>(input.panel_theme))),
        submenu("Layout", choices({"Columns (by provider)", "Vertical stack", "Horizontal row"},
                                  CMD_LAYOUT_BASE, static_cast<int>(input.panel_layout))),
        command(std::string(texts.notifications), CMD_NOTIFICATIONS, input.notifications),
        command(std::string(texts.show_pace), CMD_SHOW_PACE, input.show_pace),
        command(std::string(texts.show_remaining), CMD_SHOW_REMAINING, input.show_remaining),
        command(std::string(strings.start_with_windows), CMD_START_WITH_WINDOWS, input.autostart),
    };

    std::vector<MenuEntry> root;
    root.push_back(submenu("Accounts", std::move(account_entries)));
    root.push_back(submenu(std::string(strings.settings), std::move(settings_entries)));
    root.push_back(separator());
    root.push_back(command(std::string(strings.exit), CMD_EXIT));
    root.push_back(separator());
    MenuEntry version = command(fmt::format("Gaugelet {}", GAUGELET_VERSION), 0);
    version.enabled = false;
    root.push_back(std::move(version));
    return root;
}

std::string entry_account(const std::vector<MenuEntry>& entries, std::uint32_t id) {
    for (const MenuEntry& entry : entries) {
        if (entry.kind == Kind::Command && entry.id == id) {
            return entry.account_id;
        }
        if (std::string found = entry_account(entry.children, id); !found.empty()) {
            return found;
        }
    }
    return {};
}

std::optional<std::vector<std::string>> toggled_tray_accounts(
    const std::vector<accounts::Account>& accounts,
    const std::optional<std::vector<std::string>>& tray_accounts, std::size_t index) {
    if (index >= accounts.size()) {
        return tray_accounts;
    }
    std::vector<std::string> ids;
    if (tray_accounts) {
        ids = *tray_accounts;
    } else {
        for (const auto& account : accounts) {
            ids.push_back(account.id);
        }
    }
    const std::string& id = accounts[index].id;
    // A hand-edited list may hold an id twice; removing one copy only would look like no change.
    const auto kept_end = std::remove(ids.begin(), ids.end(), id);
    if (kept_end != ids.end()) {
        ids.erase(kept_end, ids.end());
    } else {
        ids.push_back(id);
    }
    return ids;
}

}  // namespace menu

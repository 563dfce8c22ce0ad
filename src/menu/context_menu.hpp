#pragma once
// The context menu as data: entries, identifiers, check marks and texts, built fresh from the
// settings and accounts at every opening.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "accounts/account.hpp"
#include "localization/language.hpp"
#include "menu/menu_commands.hpp"
#include "settings/settings_file.hpp"

namespace menu {

struct MenuEntry {
    enum class Kind { Command, Submenu, Separator };
    Kind kind = Kind::Command;
    std::string text;
    std::uint32_t id = 0;  // commands only
    bool checked = false;
    std::vector<MenuEntry> children;  // submenus only
    std::string account_id{};         // an account's commands: the account they were built for
    bool enabled = true;              // a disabled command is shown greyed and cannot be chosen

    friend bool operator==(const MenuEntry&, const MenuEntry&) = default;
};

// What the menu shows, copied from the application state when it opens.
struct MenuInput {
    localization::Language language = localization::Language::English;
    settings::PanelTheme panel_theme = settings::PanelTheme::HybridDark;
    settings::TrayMetric tray_metric = settings::TrayMetric::Both;
    settings::TrayCorner hot_corner = settings::TrayCorner::TopLeft;
    settings::PanelLayout panel_layout = settings::PanelLayout::Columns;
    bool panel_on_tray_hover = true;
    bool panel_on_corner_hover = false;
    bool autostart = false;  // the Run entry exists
    bool notifications = true;
    bool show_pace = false;
    bool show_remaining = false;
    std::vector<accounts::Account> accounts;
    std::optional<std::vector<std::string>> tray_accounts;
};

// The root menu's entries: Accounts ▸, Settings ▸, separator, Exit, separator, and the disabled
// "Gaugelet {version}" last, so a user can tell which build runs.
[[nodiscard]] std::vector<MenuEntry> build_context_menu(const MenuInput& input);

// The account the command `id` of these entries was built for; empty when no entry has that
// identifier or it names no account.
[[nodiscard]] std::string entry_account(const std::vector<MenuEntry>& entries, std::uint32_t id);

// "Claude — label" / "Codex — label", the label being the e-mail, else the id.
[[nodiscard]] std::string account_entry_text(const accounts::Account& account);

// The tray selection after toggling account `index`: an absent list first becomes every id in
// account order; the id is then removed if listed, else appended. An index past the end changes
// nothing: an absent list stays absent (it still means every account, including later ones).
[[nodiscard]] std::optional<std::vector<std::string>> toggled_tray_accounts(
    const std::vector<accounts::Account>& accounts,
    const std::optional<std::vector<std::string>>& tray_accounts, std::size_t index);

}  // namespace menu

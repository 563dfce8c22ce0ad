#pragma once
// The two settings the interrupted-save test alternates between: different sizes and account
// lists, so a mix of the two could never read as either.

#include <string>

#include "settings/settings_file.hpp"

namespace interrupted_save {

inline settings::SettingsFile old_contents() {
    settings::SettingsFile s;
    s.pinned = true;
    s.accounts.push_back({"claude-1", accounts::Provider::Claude, "accounts/claude-1", "old@example.com", 0});
    return s;
}

inline settings::SettingsFile new_contents() {
    settings::SettingsFile s;
    s.panel_theme = settings::PanelTheme::MacVibrancy;
    for (unsigned i = 1; i <= 40; ++i) {
        const std::string id = "codex-" + std::to_string(i);
        s.accounts.push_back({id, accounts::Provider::Codex, "accounts/" + id, std::string(60, 'n'), i});
    }
    return s;
}

}  // namespace interrupted_save

#include "state/save_settings.hpp"

#include "settings/settings_path.hpp"
#include "settings/settings_write.hpp"

namespace state {

settings::SettingsFile settings_from_state(const AppState& state) {
    settings::SettingsFile file;
    file.tray_offset = state.tray_offset;
    file.poll_interval_ms = state.poll_interval_ms;
    if (state.language < settings::LANGUAGE_CODES.size()) {
        file.language = std::string(settings::LANGUAGE_CODES[state.language]);
    }
    file.widget_visible = state.widget_visible;
    file.panel_theme = state.panel_theme;
    file.tray_metric = state.tray_metric;
    file.panel_on_tray_hover = state.panel_on_tray_hover;
    file.panel_on_corner_hover = state.panel_on_corner_hover;
    file.pinned = state.pinned;
    file.hot_corner = state.hot_corner;
    file.panel_layout = state.panel_layout;
    file.tray_accounts = state.tray_accounts;
    file.accounts = state.accounts;
    file.notify_near_limit = state.notify_near_limit;
    file.notify_reset = state.notify_reset;
    file.show_pace = state.show_pace;
    file.show_remaining = state.show_remaining;
    return file;
}

std::optional<std::string> save_settings(StateSlot& slot, const std::filesystem::path& path) {
    const auto guard = slot.lock();
    if (!guard) {
        return std::nullopt;
    }
    const auto keep =
        guard->keep_settings_aside ? settings::KeepAside::Always : settings::KeepAside::IfInvalid;
    auto error = settings::write_settings_file(path, settings_from_state(*guard), keep);
    if (!error) {
        guard->keep_settings_aside = false;
    }
    return error;
}

std::optional<std::string> save_settings() {
    return save_settings(app_state(), settings::settings_path());
}

}  // namespace state

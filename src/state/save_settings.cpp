#include "state/save_settings.hpp"

#include <fmt/format.h>

#include "diagnostics/log.hpp"
#include "settings/settings_path.hpp"
#include "settings/settings_write.hpp"
#include "state/settings_sync.hpp"
#include "text/path_text.hpp"

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
    auto outcome =
        settings::update_settings_file(path, guard->settings_base, settings_from_state(*guard), keep);
    if (outcome.error) {
        // The change stays in the state, so the next save (or Exit) writes it with its own.
        diagnostics::log_owned(fmt::format("settings not saved to {}: {}",
                                           text::path_to_utf8(path).value_or("?"), *outcome.error));
        guard->settings_unsaved = true;
        if (!guard->save_failure_told) {
            guard->save_failure_told = true;
            guard->settings_notice = SettingsNotice{SettingsNotice::Kind::SaveFailed, *outcome.error, {}};
        }
        return outcome.error;
    }
    guard->keep_settings_aside = false;
    guard->settings_unsaved = false;
    guard->save_failure_told = false;
    // Another writer's change made since the last read is in the file now, and so in the state.
    const bool accounts_changed = take_in_settings(*guard, *outcome.written);
    guard->accounts_changed_outside = guard->accounts_changed_outside || accounts_changed;
    guard->settings_base = std::move(*outcome.written);
    return std::nullopt;
}

std::optional<std::string> save_if_unsaved(StateSlot& slot, const std::filesystem::path& path) {
    {
        const auto guard = slot.lock();
        if (!guard || !guard->settings_unsaved) {
            return std::nullopt;
        }
    }
    return save_settings(slot, path);
}

std::optional<std::string> save_settings() {
    return save_settings(app_state(), settings::settings_path());
}

}  // namespace state

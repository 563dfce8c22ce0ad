#include "state/settings_sync.hpp"

#include <fmt/format.h>

#include <algorithm>

#include "diagnostics/log.hpp"
#include "localization/language.hpp"
#include "settings/settings_merge.hpp"
#include "state/save_settings.hpp"

namespace state {
namespace {

bool listed(const std::vector<accounts::Account>& list, const std::string& id) {
    return std::any_of(list.begin(), list.end(),
                       [&](const accounts::Account& account) { return account.id == id; });
}

}  // namespace

bool take_in_settings(AppState& state, const settings::SettingsFile& file) {
    const std::optional<std::string> language_before = settings_from_state(state).language;
    const bool accounts_changed = file.accounts != state.accounts;
    state.accounts = file.accounts;
    state.tray_accounts = file.tray_accounts;
    state.tray_offset = file.tray_offset;
    state.widget_visible = file.widget_visible;
    state.panel_theme = file.panel_theme;
    state.tray_metric = file.tray_metric;
    state.panel_on_tray_hover = file.panel_on_tray_hover;
    state.panel_on_corner_hover = file.panel_on_corner_hover;
    state.pinned = file.pinned;
    state.hot_corner = file.hot_corner;
    state.panel_layout = file.panel_layout;
    state.notify_near_limit = file.notify_near_limit;
    state.notify_reset = file.notify_reset;
    state.show_pace = file.show_pace;
    state.show_remaining = file.show_remaining;
    if (file.language != language_before) {
        const auto setting = localization::language_setting(
            file.language ? std::optional<std::string_view>(*file.language) : std::nullopt);
        state.language = static_cast<LanguageIndex>(setting);
        state.effective_language = static_cast<LanguageIndex>(
            localization::effective_language(setting, localization::detect_system_language()));
    }
    if (accounts_changed && state.usage) {
        std::erase_if(*state.usage, [&](const poller::UsageSnapshot& entry) {
            return !listed(state.accounts, entry.account_id);
        });
    }
    return accounts_changed;
}

ReloadOutcome reload_settings(StateSlot& slot, const std::filesystem::path& path) {
    const auto guard = slot.lock();
    if (!guard) {
        return {};
    }
    const settings::LoadOutcome file = settings::read_settings_file(path);
    switch (file.status) {
        case settings::FileStatus::Missing:
        case settings::FileStatus::Unreadable:
            return {};  // nothing to take in; the next save writes the state as it is
        case settings::FileStatus::Invalid:
            diagnostics::log_owned(fmt::format(
                "settings file changed and does not load; kept as it is until the next change: {}",
                settings::describe_settings_error(path,
                                                  file.error.value_or(settings::SettingsError{"invalid"}))));
            return {ReloadResult::Invalid, false};
        case settings::FileStatus::Loaded:
            break;
    }
    settings::SettingsFile theirs = file.settings;
    theirs.poll_interval_ms = settings::DEFAULT_POLL_INTERVAL_MS;
    if (theirs == guard->settings_base) {
        return {};
    }
    const auto merged = settings::merge_settings(guard->settings_base, settings_from_state(*guard), theirs);
    const bool accounts_changed = take_in_settings(*guard, merged);
    guard->settings_base = std::move(theirs);
    guard->accounts_changed_outside = guard->accounts_changed_outside || accounts_changed;
    diagnostics::log_owned(fmt::format("settings file changed by another writer; taken in (accounts={})",
                                       guard->accounts.size()));
    return {ReloadResult::TakenIn, accounts_changed};
}

}  // namespace state

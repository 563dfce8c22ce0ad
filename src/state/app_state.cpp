#include "state/app_state.hpp"

#include "settings/settings_write.hpp"

namespace state {

std::string_view debug_name(PanelAnchor anchor) noexcept {
    return anchor == PanelAnchor::Tray ? "Tray" : "Corner";
}

AppState state_from_settings(const settings::SettingsFile& file, LanguageIndex language,
                             LanguageIndex effective_language) {
    AppState s;
    s.accounts = file.accounts;
    s.tray_accounts = file.tray_accounts;
    s.poll_interval_ms = settings::DEFAULT_POLL_INTERVAL_MS;
    s.tray_offset = file.tray_offset;
    s.widget_visible = file.widget_visible;
    s.panel_on_tray_hover = file.panel_on_tray_hover;
    s.panel_on_corner_hover = file.panel_on_corner_hover;
    s.pinned = file.pinned;
    s.tray_metric = file.tray_metric;
    s.panel_layout = file.panel_layout;
    s.panel_theme = file.panel_theme;
    s.hot_corner = file.hot_corner;
    s.notify_near_limit = file.notify_near_limit;
    s.notify_reset = file.notify_reset;
    s.show_pace = file.show_pace;
    s.show_remaining = file.show_remaining;
    s.language = language;
    s.effective_language = effective_language;
    s.settings_base = file;
    s.settings_base.poll_interval_ms = settings::DEFAULT_POLL_INTERVAL_MS;
    return s;
}

AppState state_from_load(const settings::LoadOutcome& loaded, LanguageIndex language,
                         LanguageIndex effective_language) {
    AppState s = state_from_settings(loaded.settings, language, effective_language);
    s.keep_settings_aside = settings::keep_aside_after(loaded) == settings::KeepAside::Always;
    return s;
}

StateSlot::Guard StateSlot::lock() {
    std::unique_lock<std::mutex> held(mutex_);
    AppState* current = state_ ? &*state_ : nullptr;
    return Guard(std::move(held), current);
}

void StateSlot::install(AppState state) {
    std::lock_guard<std::mutex> held(mutex_);
    state_ = std::move(state);
}

StateSlot& app_state() {
    static StateSlot* slot = new StateSlot();  // never destroyed: detached threads may still use it
    return *slot;
}

bool is_pinned(StateSlot& slot) {
    const auto guard = slot.lock();
    return guard && guard->pinned;
}

bool corner_hover_enabled(StateSlot& slot) {
    const auto guard = slot.lock();
    return guard && guard->panel_on_corner_hover;
}

}  // namespace state

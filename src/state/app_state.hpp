#pragma once
// The one application state every thread shares, in a process-wide slot behind the state lock.
// The slot is empty until start-up fills it; every reader copes with that. Window handles are
// opaque numbers here: the core never sees a window type.

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "accounts/account.hpp"
#include "poller/usage_model.hpp"
#include "settings/settings_file.hpp"
#include "settings/settings_load.hpp"
#include "state/rect.hpp"

namespace state {

using WindowHandle = std::uintptr_t;

enum class PanelAnchor { Tray, Corner };

// "Tray" / "Corner", as log lines print it.
[[nodiscard]] std::string_view debug_name(PanelAnchor anchor) noexcept;

// Index of a user-interface language (0-9, in the order of the settings file's language codes),
// or FOLLOW_SYSTEM_LANGUAGE.
using LanguageIndex = std::uint8_t;
inline constexpr LanguageIndex FOLLOW_SYSTEM_LANGUAGE = 10;

// Something about the settings file the user is told once, in a balloon.
struct SettingsNotice {
    enum class Kind {
        SaveFailed,  // a change could not be written: `detail` is the system's reason
        KeptAside,   // the file did not load and was copied aside: `detail` is the rule it broke
    };
    Kind kind = Kind::SaveFailed;
    std::string detail;
    std::string kept_as;  // KeptAside: the copy's file name
    friend bool operator==(const SettingsNotice&, const SettingsNotice&) = default;
};

struct AppState {
    std::optional<WindowHandle> taskbar;
    std::vector<accounts::Account> accounts;
    std::optional<std::vector<poller::UsageSnapshot>> usage;  // absent until the first poll stores
    std::optional<std::vector<std::string>> tray_accounts;    // absent: the default tray selection
    WindowHandle hwnd = 0;
    std::optional<Rect> corner_monitor;
    std::uint32_t poll_interval_ms = settings::DEFAULT_POLL_INTERVAL_MS;
    std::int32_t tray_offset = 0;
    bool system_dark = false;
    bool has_polled = false;
    bool widget_visible = true;
    bool panel_on_tray_hover = true;
    bool panel_on_corner_hover = false;
    bool pinned = false;
    PanelAnchor anchor = PanelAnchor::Tray;
    settings::TrayMetric tray_metric = settings::TrayMetric::Both;
    settings::PanelLayout panel_layout = settings::PanelLayout::Columns;
    settings::PanelTheme panel_theme = settings::PanelTheme::HybridDark;
    settings::TrayCorner hot_corner = settings::TrayCorner::TopLeft;
    std::uint8_t notify_near_limit = settings::DEFAULT_NOTIFY_NEAR_LIMIT;  // 0: off
    bool notify_reset = true;
    bool show_pace = false;
    bool show_remaining = false;
    LanguageIndex language = FOLLOW_SYSTEM_LANGUAGE;
    LanguageIndex effective_language = 0;
    // The settings file found at start did not load: the next save copies it aside first.
    bool keep_settings_aside = false;
    // What the settings file held when this process last read or wrote it: a save writes only
    // what changed since, onto what the file holds then.
    settings::SettingsFile settings_base;
    // A change that is not in the file yet: the last save failed, and Exit tries again.
    bool settings_unsaved = false;
    // The failed save was told to the user; told again only after a save has worked.
    bool save_failure_told = false;
    // A notice for the user that the window has not shown yet.
    std::optional<SettingsNotice> settings_notice;
    // Another writer's change to the account list was taken in: the tray icons and the poll follow.
    bool accounts_changed_outside = false;
};

// The state as start-up builds it from the loaded settings. The poll period is fixed, so the
// interval always starts at 60000 whatever the file held; the languages come from the caller,
// which owns the mapping of language tags.
[[nodiscard]] AppState state_from_settings(const settings::SettingsFile& file, LanguageIndex language,
                                           LanguageIndex effective_language);

// The same from the outcome of reading the file, remembering whether the file that was there
// could not be used, so that the first save keeps it aside whatever became of it meanwhile.
[[nodiscard]] AppState state_from_load(const settings::LoadOutcome& loaded, LanguageIndex language,
                                       LanguageIndex effective_language);

// The slot and its lock. A thread that throws while holding the lock releases it on the way
// out, so the lock stays usable for every other thread.
class StateSlot {
  public:
    // A scoped hold on the state lock; `state()` is null while the slot is empty.
    class Guard {
      public:
        [[nodiscard]] AppState* state() const noexcept { return state_; }
        [[nodiscard]] AppState* operator->() const noexcept { return state_; }
        [[nodiscard]] AppState& operator*() const noexcept { return *state_; }
        explicit operator bool() const noexcept { return state_ != nullptr; }

      private:
        friend class StateSlot;
        Guard(std::unique_lock<std::mutex> lock, AppState* state) : lock_(std::move(lock)), state_(state) {}
        std::unique_lock<std::mutex> lock_;
        AppState* state_;
    };

    [[nodiscard]] Guard lock();

    // Fills (or replaces as a whole) the slot.
    void install(AppState state);

  private:
    std::mutex mutex_;
    std::optional<AppState> state_;
};

// The process-wide slot.
[[nodiscard]] StateSlot& app_state();

// One-field getters that lock, read and unlock; false while there is no state.
[[nodiscard]] bool is_pinned(StateSlot& slot = app_state());
[[nodiscard]] bool corner_hover_enabled(StateSlot& slot = app_state());

}  // namespace state

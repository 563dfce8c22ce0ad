#pragma once
// Saving the settings file from the application state.

#include <filesystem>
#include <optional>
#include <string>

#include "settings/settings_file.hpp"
#include "state/app_state.hpp"

namespace state {

// The settings file's view of the state: the persisted members, copies of the account list and
// the tray selection, the language code unless the setting follows the system.
[[nodiscard]] settings::SettingsFile settings_from_state(const AppState& state);

// Builds the file from the state and writes it, holding the state lock until the write is done
// so that two saves never interleave and each file is one consistent state. Does nothing while
// the slot is empty. Failures leave the change in memory only; the reason is returned for
// callers that want to log it.
std::optional<std::string> save_settings(StateSlot& slot, const std::filesystem::path& path);

// The process-wide state, to the settings path of this process's environment.
std::optional<std::string> save_settings();

}  // namespace state

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

// Writes the state's changes since the file was last read or written onto what the file holds
// now (under the lock all writers share), holding the state lock until the write is done, and
// takes in what other writers changed meanwhile. Does nothing while the slot is empty. A failure
// is logged with the path and the system's reason, leaves the change in memory (the next save
// writes it too) and leaves a notice for the user, once until a save works again; the reason is
// returned.
std::optional<std::string> save_settings(StateSlot& slot, const std::filesystem::path& path);

// Saves again when the last save failed; nothing otherwise. For Exit.
std::optional<std::string> save_if_unsaved(StateSlot& slot, const std::filesystem::path& path);

// The process-wide state, to the settings path of this process's environment.
std::optional<std::string> save_settings();

}  // namespace state

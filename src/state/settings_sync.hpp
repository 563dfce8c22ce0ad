#pragma once
// Keeping the running program and the settings file in step when another writer (gaugelet-cli,
// a second copy of the file's owner, the user in an editor) changes the file.

#include <filesystem>
#include <optional>

#include "settings/settings_file.hpp"
#include "settings/settings_load.hpp"
#include "state/app_state.hpp"

namespace state {

// Brings the state to `file` where the two differ (the language through the usual mapping),
// dropping the readings of accounts that left the list. True when the account list changed.
bool take_in_settings(AppState& state, const settings::SettingsFile& file);

enum class ReloadResult {
    Unchanged,  // the file holds what this process last read or wrote (its own save, say)
    TakenIn,    // another writer's change is now in the state
    Invalid,    // the file no longer loads: the state is kept, and the file until the next change
};

struct ReloadOutcome {
    ReloadResult result = ReloadResult::Unchanged;
    bool accounts_changed = false;
};

// Reads the file and says what it means for the running program. The file is read under the
// state lock, which every save holds across its write, so a save of ours never falls between the
// read and the comparison. A change of ours that no save got into the file yet stays in the state
// and is still written by the next save.
ReloadOutcome reload_settings(StateSlot& slot, const std::filesystem::path& path);

}  // namespace state

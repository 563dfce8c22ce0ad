#pragma once
// What the user is told about the settings file: a save that failed, a file that did not load.

#include <filesystem>
#include <optional>
#include <string>

#include "settings/settings_load.hpp"
#include "state/app_state.hpp"

namespace state {

// At start: a file that is there but did not load is named in the log with the rule it broke and
// where, copied aside now (so that the first save has nothing left to keep), and a notice for
// the user is left in the state.
void note_settings_load(AppState& state, const std::filesystem::path& path,
                        const settings::LoadOutcome& loaded);

// The waiting notice's text in the user's language, taken out of the state; nothing when none waits.
[[nodiscard]] std::optional<std::string> take_settings_notice(StateSlot& slot);

}  // namespace state

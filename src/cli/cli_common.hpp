#pragma once
// What the commands of gaugelet-cli share: the settings file as the program would run on it, the
// state built from it, and one poll cycle that also leaves its readings for `status --line`.

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/cli.hpp"
#include "poller/usage_model.hpp"
#include "settings/settings_file.hpp"
#include "state/app_state.hpp"

namespace cli {

// The path as text for messages.
[[nodiscard]] std::string display(const std::filesystem::path& path);

// The settings the program would run on, or nothing (with the reason on `err`) when the file is
// there but cannot be used.
[[nodiscard]] std::optional<settings::SettingsFile> load_or_explain(const std::filesystem::path& path,
                                                                    std::ostream& err);

[[nodiscard]] state::AppState state_for(const settings::SettingsFile& file);

// The tray program's cycle over the slot's accounts, with a numbering of its own and nothing to
// notify; the readings are then written to the status cache. Returns the stored list.
std::vector<poller::UsageSnapshot> poll_and_cache(state::StateSlot& slot, const Session& session);

}  // namespace cli

#pragma once
// Combining this process's changes with another writer's: several processes (the tray program,
// gaugelet-cli) change one settings file, and none may drop what another wrote.

#include "settings/settings_file.hpp"

namespace settings {

// The file to write, given what this process last read or wrote (`base`), what it holds now
// (`ours`) and what the file holds now (`theirs`). A member this process changed since `base`
// takes its value from `ours`, any other member keeps the file's. Accounts go by id: ours that
// were added or changed are put in (changed ones in place), ours that were removed are taken
// out, and every other account of the file stays, in the file's order.
[[nodiscard]] SettingsFile merge_settings(const SettingsFile& base, const SettingsFile& ours,
                                          const SettingsFile& theirs);

}  // namespace settings

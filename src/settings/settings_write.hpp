#pragma once
// Writing the settings file: the whole file at once, atomically, keeping aside a file that did not
// load so that a hand-edit typo never costs the user the account list.

#include <filesystem>
#include <optional>
#include <string>
#include <variant>

#include "settings/settings_file.hpp"
#include "settings/settings_load.hpp"

namespace settings {

// The file's text: members in declaration order, two-space indentation, no final line feed;
// `language` and `tray_accounts` only when set, `accounts` only when not empty, the notice and display
// switches after them, never
// `display_mode`. Fails (with the reason) when an account directory is not valid text.
struct EncodeError {
    std::string reason;
};
[[nodiscard]] std::variant<std::string, EncodeError> encode_settings(const SettingsFile& settings);

// Where an invalid settings file is copied before it is first replaced.
[[nodiscard]] std::filesystem::path invalid_copy_path(const std::filesystem::path& settings_path);

// Copies the file at `path` aside (to invalid_copy_path) now; the copy's path, or why not.
[[nodiscard]] std::variant<std::filesystem::path, std::string> keep_file_aside(
    const std::filesystem::path& path);

// Which file a write keeps aside before replacing it.
enum class KeepAside {
    IfInvalid,  // the file there now, when it cannot be read or does not load
    Always,     // whatever file is there now: the one found at start did not load, and a hand
                // fix made since may still be incomplete
};

// Always when the file existed at start but could not be read or did not load.
[[nodiscard]] KeepAside keep_aside_after(const LoadOutcome& loaded);

// Creates the folder, keeps the file there aside as `keep` says, then replaces the file.
// Returns the reason when nothing was written; the old file is then untouched.
[[nodiscard]] std::optional<std::string> write_settings_file(const std::filesystem::path& path,
                                                             const SettingsFile& settings,
                                                             KeepAside keep = KeepAside::IfInvalid);

// What an update wrote, or why it wrote nothing.
struct UpdateOutcome {
    std::optional<SettingsFile> written;
    std::optional<std::string> error;
};

// Writes this process's changes since `base` onto what the file holds now, under the lock every
// writer of the file takes, so that another writer's change made meanwhile is kept. A file that
// is missing, unreadable or invalid now counts as unchanged since `base` (and is kept aside as
// `keep` says before it is replaced).
[[nodiscard]] UpdateOutcome update_settings_file(const std::filesystem::path& path, const SettingsFile& base,
                                                 const SettingsFile& ours,
                                                 KeepAside keep = KeepAside::IfInvalid);

}  // namespace settings

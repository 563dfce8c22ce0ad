#pragma once
// Writing the settings file: the whole file at once, atomically, keeping aside a file that did not
// load so that a hand-edit typo never costs the user the account list.

#include <filesystem>
#include <optional>
#include <string>
#include <variant>

#include "settings/settings_file.hpp"

namespace settings {

// The file's text: members in declaration order, two-space indentation, no final line feed;
// `language` and `tray_accounts` only when set, `accounts` only when not empty, never
// `display_mode`. Fails (with the reason) when an account directory is not valid text.
struct EncodeError {
    std::string reason;
};
[[nodiscard]] std::variant<std::string, EncodeError> encode_settings(const SettingsFile& settings);

// Where an invalid settings file is copied before it is first replaced.
[[nodiscard]] std::filesystem::path invalid_copy_path(const std::filesystem::path& settings_path);

// Creates the folder, keeps an existing invalid file aside, then replaces the file. Returns the
// reason when nothing was written; the old file is then untouched.
[[nodiscard]] std::optional<std::string> write_settings_file(const std::filesystem::path& path,
                                                             const SettingsFile& settings);

}  // namespace settings

#pragma once
// Reading the settings file. Any fault in the file makes the whole file count as invalid: the
// program then runs on the defaults with no accounts, and the file is left as it is.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "settings/settings_file.hpp"

namespace settings {

struct SettingsError {
    std::string message;   // the rule that was broken: repeated key "pinned", unknown panel theme ...
    std::size_t line = 0;  // where the parser knows it (1-based), else 0
    std::size_t column = 0;
};

enum class FileStatus {
    Loaded,      // read and valid
    Missing,     // no file yet: the defaults, and nothing to keep
    Unreadable,  // there, but the system refused to read it
    Invalid,     // read, and broke a rule
};

struct LoadOutcome {
    SettingsFile settings;  // the defaults unless status is Loaded
    FileStatus status = FileStatus::Missing;
    std::optional<SettingsError> error;
};

// Decodes the file's text: the JSON object (or positional array) with every member checked.
[[nodiscard]] std::variant<SettingsFile, SettingsError> decode_settings(std::string_view text);

// "<file>:<line>:<column>: <rule>", or "<file>: <rule>" where the place is not known.
[[nodiscard]] std::string describe_settings_error(const std::filesystem::path& file,
                                                  const SettingsError& error);

// Reads and decodes the file, saying what happened.
[[nodiscard]] LoadOutcome read_settings_file(const std::filesystem::path& path);

// The settings to run on: the file's, or the defaults when it cannot be used.
[[nodiscard]] SettingsFile load_settings(const std::filesystem::path& path);
[[nodiscard]] SettingsFile load_settings();

}  // namespace settings

#pragma once
// Where the settings file lives: %APPDATA%\Quotavane\settings.json.

#include <filesystem>
#include <optional>
#include <string>

namespace settings {

inline constexpr std::string_view SETTINGS_FOLDER_NAME = "Quotavane";
inline constexpr std::string_view SETTINGS_FILE_NAME = "settings.json";

// The path for a given APPDATA value; without one (unset or not valid text) the base is ".".
[[nodiscard]] std::filesystem::path settings_path_for(const std::optional<std::string>& appdata);

// The path for this process's environment.
[[nodiscard]] std::filesystem::path settings_path();

}  // namespace settings

#pragma once
// Where the settings file lives: %APPDATA%\Quotavane\settings.json (and on Linux, where Linux
// programs keep theirs).

#include <filesystem>
#include <optional>
#include <string>

namespace settings {

inline constexpr std::string_view SETTINGS_FOLDER_NAME = "Quotavane";
inline constexpr std::string_view SETTINGS_FILE_NAME = "settings.json";

// The path for a given APPDATA value; without one (unset or not valid text) the base is ".".
[[nodiscard]] std::filesystem::path settings_path_for(const std::optional<std::string>& appdata);

// Where Linux programs keep settings, for a process without APPDATA:
// $XDG_CONFIG_HOME/Quotavane/settings.json when that is an absolute path, else
// $HOME/.config/Quotavane/settings.json, and only without either the rule above.
struct ConfigEnvironment {
    std::optional<std::string> appdata;
    std::optional<std::string> xdg_config_home;
    std::optional<std::string> home;
};
[[nodiscard]] std::filesystem::path posix_settings_path_for(const ConfigEnvironment& environment);

// The path for this process's environment (the Windows rule on Windows, the one above elsewhere).
[[nodiscard]] std::filesystem::path settings_path();

}  // namespace settings

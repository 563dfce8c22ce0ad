#include "settings/settings_path.hpp"

#include "platform/environment.hpp"
#include "text/path_text.hpp"

namespace settings {

std::filesystem::path settings_path_for(const std::optional<std::string>& appdata) {
    std::filesystem::path base(".");
    if (appdata) {
        if (auto converted = text::path_from_utf8(*appdata)) {
            base = std::move(*converted);
        }
    }
    return base / SETTINGS_FOLDER_NAME / SETTINGS_FILE_NAME;
}

std::filesystem::path posix_settings_path_for(const ConfigEnvironment& environment) {
    if (environment.appdata) {
        return settings_path_for(environment.appdata);
    }
    const auto absolute =
        [](const std::optional<std::string>& value) -> std::optional<std::filesystem::path> {
        if (!value || value->empty()) {
            return std::nullopt;
        }
        auto path = text::path_from_utf8(*value);
        if (!path || !path->is_absolute()) {
            return std::nullopt;  // a relative value would depend on the current folder again
        }
        return path;
    };
    if (auto config = absolute(environment.xdg_config_home)) {
        return *config / SETTINGS_FOLDER_NAME / SETTINGS_FILE_NAME;
    }
    if (auto home = absolute(environment.home)) {
        return *home / ".config" / SETTINGS_FOLDER_NAME / SETTINGS_FILE_NAME;
    }
    return settings_path_for(std::nullopt);
}

std::filesystem::path settings_path() {
#ifdef _WIN32
    return settings_path_for(platform::get_env("APPDATA"));
#else
    return posix_settings_path_for(
        {platform::get_env("APPDATA"), platform::get_env("XDG_CONFIG_HOME"), platform::get_env("HOME")});
#endif
}

}  // namespace settings

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

std::filesystem::path settings_path() { return settings_path_for(platform::get_env("APPDATA")); }

}  // namespace settings

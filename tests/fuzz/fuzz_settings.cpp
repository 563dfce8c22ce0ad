// Feeds arbitrary bytes to the settings reader. Whatever it accepts must survive a write and a
// second read unchanged; nothing may crash, hang or trip a sanitizer.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "settings/settings_load.hpp"
#include "settings/settings_write.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    auto decoded = settings::decode_settings(input);
    if (auto* file = std::get_if<settings::SettingsFile>(&decoded)) {
        auto text = settings::encode_settings(*file);
        if (!std::holds_alternative<std::string>(text)) {
            std::abort();  // everything that was read is valid text and must be writable
        }
        auto again = settings::decode_settings(std::get<std::string>(text));
        if (!std::holds_alternative<settings::SettingsFile>(again) ||
            !(std::get<settings::SettingsFile>(again) == *file)) {
            std::abort();
        }
    }
    return 0;
}

#include <gtest/gtest.h>

#include "settings/settings_path.hpp"
#include "support/temp_folder.hpp"
#include "text/path_text.hpp"

namespace {

TEST(PosixSettingsPath, FollowsAppDataThenTheConfigFolderThenHome) {
    test_support::TempFolder folder;
    const std::string root = text::path_to_utf8(folder.path()).value();
    const auto file = [](const std::filesystem::path& base) { return base / "Quotavane" / "settings.json"; };
    const struct {
        const char* name;
        settings::ConfigEnvironment environment;
        std::filesystem::path expected;
    } cases[] = {
        {"APPDATA wins", {root + "/roaming", root + "/xdg", root + "/home"}, file(folder / "roaming")},
        {"the config folder", {std::nullopt, root + "/xdg", root + "/home"}, file(folder / "xdg")},
        {"an empty config folder is unset",
         {std::nullopt, "", root + "/home"},
         file(folder / "home/.config")},
        {"a relative config folder is ignored",
         {std::nullopt, "xdg", root + "/home"},
         file(folder / "home/.config")},
        {"home", {std::nullopt, std::nullopt, root + "/home"}, file(folder / "home/.config")},
        {"nothing at all", {}, file(".")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(settings::posix_settings_path_for(c.environment).lexically_normal(),
                  c.expected.lexically_normal())
            << c.name;
    }
}

}  // namespace

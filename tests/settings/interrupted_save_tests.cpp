#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "interrupted_save_contents.hpp"
#include "saver_child.hpp"
#include "settings/settings_load.hpp"
#include "settings/settings_write.hpp"
#include "support/temp_folder.hpp"
#include "text/path_text.hpp"

namespace {

using settings::SettingsFile;

std::filesystem::path saver_program() {
    std::string path = GAUGELET_SETTINGS_SAVER;
#ifdef _WIN32
    // The cross build knows its programs by their POSIX paths; Wine shows them on drive Z:.
    if (!path.empty() && path[0] == '/') {
        path = "Z:" + path;
    }
    for (char& c : path) {
        c = c == '/' ? '\\' : c;
    }
#endif
    return test_support::utf8_path(path);
}

std::size_t entries_in(const std::filesystem::path& folder) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) {
        ++count;
    }
    return count;
}

#ifdef _WIN32
constexpr int KILLS = 200;  // each start of a process under Wine costs tens of milliseconds
#else
constexpr int KILLS = 300;
#endif

// A saving process is killed at random moments: the file is always the old or the new settings
// whole, and the next save leaves nothing but the settings file in the folder.
TEST(InterruptedSave, AKilledSaveLeavesTheOldOrTheNewFileAndNothingForLong) {
    test_support::TempFolder folder("gaugelet-interrupted-save");
    const auto path = folder / "settings.json";
    const SettingsFile old_settings = interrupted_save::old_contents();
    const SettingsFile new_settings = interrupted_save::new_contents();
    ASSERT_FALSE(settings::write_settings_file(path, old_settings));

    const std::string path_text = text::path_to_utf8(path).value_or("");
    std::mt19937 random(std::random_device{}());
    int kills_mid_save = 0;
    for (int kill = 0; kill < KILLS; ++kill) {
        interrupted_save::SaverChild child(saver_program(), path_text);
        const int saves = std::uniform_int_distribution<int>(1, 3)(random);
        for (int i = 0; i < saves; ++i) {
            ASSERT_TRUE(child.read_progress()) << "the saver stopped at kill " << kill;
        }
        // Not a wait for anything: a random moment within the next save to kill at.
        const auto spin = std::chrono::microseconds(std::uniform_int_distribution<int>(0, 1500)(random));
        for (const auto until = std::chrono::steady_clock::now() + spin;
             std::chrono::steady_clock::now() < until;) {
        }
        child.kill();

        const auto outcome = settings::read_settings_file(path);
        ASSERT_EQ(outcome.status, settings::FileStatus::Loaded) << "kill " << kill;
        ASSERT_TRUE(outcome.settings == old_settings || outcome.settings == new_settings) << "kill " << kill;
        if (entries_in(folder.path()) > 1) {
            ++kills_mid_save;
        }
        ASSERT_FALSE(settings::write_settings_file(path, outcome.settings));
        ASSERT_EQ(entries_in(folder.path()), 1u) << "kill " << kill << " left a file behind the next save";
    }
    std::printf("%d of %d kills landed in a save and left a temporary file until the next save\n",
                kills_mid_save, KILLS);
}

}  // namespace

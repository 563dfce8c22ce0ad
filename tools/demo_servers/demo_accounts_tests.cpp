// The sample settings folder goes only where nobody else's settings are: a folder holding someone's
// own settings file or accounts is refused and left byte for byte as it was; an earlier sample is
// replaced.
#include <gtest/gtest.h>

#include <functional>

#include "demo_accounts.hpp"
#include "settings/settings_load.hpp"
#include "support/temp_folder.hpp"

namespace demo {
namespace {

using test_support::read_text;
using test_support::TempFolder;
using test_support::write_text;

constexpr std::int64_t NOW_MS = 1796716800000;
constexpr const char* OWN_SETTINGS = R"({"accounts":[],"pinned":false})";

struct Case {
    const char* name;
    std::function<void(const TempFolder&)> before;  // what the folder holds already
    bool written;
};

const Case CASES[] = {
    {"an empty folder", [](const TempFolder&) {}, true},
    {"a sample written before",
     [](const TempFolder& dir) {
         ASSERT_FALSE(write_sample_accounts(dir / "Quotavane/settings.json", NOW_MS));
     },
     true},
    {"someone's own settings file",
     [](const TempFolder& dir) { write_text(dir / "Quotavane/settings.json", OWN_SETTINGS); }, false},
    {"someone's own accounts without a settings file",
     [](const TempFolder& dir) {
         std::filesystem::create_directories(dir / "Quotavane/accounts/claude-1");
         write_text(dir / "Quotavane/accounts/claude-1/.credentials.json", "{}");
     },
     false},
};

TEST(DemoAccounts, WritesTheSampleOnlyOverItsOwnEarlierSample) {
    for (const Case& c : CASES) {
        SCOPED_TRACE(c.name);
        const TempFolder dir("demo-accounts");
        std::filesystem::create_directories(dir / "Quotavane");
        c.before(dir);
        const auto settings = dir / "Quotavane/settings.json";
        const bool had_settings = std::filesystem::exists(settings);
        const std::string before = had_settings ? read_text(settings) : std::string();

        const auto failure = write_sample_accounts(settings, NOW_MS);

        if (c.written) {
            EXPECT_FALSE(failure) << *failure;
            const auto outcome = settings::read_settings_file(settings);
            EXPECT_EQ(outcome.status, settings::FileStatus::Loaded);
            EXPECT_EQ(outcome.settings.accounts.size(), 3u);
            EXPECT_TRUE(outcome.settings.pinned);
        } else {
            ASSERT_TRUE(failure);
            EXPECT_NE(failure->find("refusing to replace"), std::string::npos) << *failure;
            EXPECT_EQ(std::filesystem::exists(settings), had_settings);
            if (had_settings) {
                EXPECT_EQ(read_text(settings), before) << "someone's own file is kept as it was";
            }
            EXPECT_FALSE(std::filesystem::exists(dir / "Quotavane" / SAMPLE_MARKER_NAME));
            EXPECT_FALSE(std::filesystem::exists(dir / "Quotavane/accounts/codex-1"));
        }
    }
}

}  // namespace
}  // namespace demo

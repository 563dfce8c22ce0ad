#include <gtest/gtest.h>

#include "window/startup_arguments.hpp"

namespace {

TEST(StartupArguments, OnlyTheExactFlagAnywhereTurnsTheLogOn) {
    struct Case {
        std::vector<std::string> arguments;
        bool diagnose;
    };
    const Case cases[] = {
        {{"gaugelet.exe"}, false},
        {{"gaugelet.exe", "--diagnose"}, true},
        {{"gaugelet.exe", "x", "--diagnose", "y"}, true},
        {{"gaugelet.exe", "--Diagnose"}, false},
        {{"gaugelet.exe", "-diagnose"}, false},
        {{"gaugelet.exe", "--diagnose "}, false},
        {{}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(window::has_diagnose_flag(c.arguments), c.diagnose) << ::testing::PrintToString(c.arguments);
    }
}

TEST(StartupArguments, TheLogShowsTheListInDebugForm) {
    EXPECT_EQ(window::debug_arguments({"C:\\a b\\gaugelet.exe", "say \"hi\""}),
              R"(["C:\\a b\\gaugelet.exe", "say \"hi\""])");
    EXPECT_EQ(window::debug_arguments({}), "[]");
}

}  // namespace

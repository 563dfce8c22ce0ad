#include <gtest/gtest.h>

#include "native_interop/system_settings_rules.hpp"

namespace {

TEST(AutostartEntry, OnlyThisProgramsBarePathInAnyAsciiCase) {
    const std::u16string_view program = u"C:\\Tools\\Gaugelet\\gaugelet.exe";
    struct Case {
        std::u16string_view stored;
        bool matches;
    };
    const Case cases[] = {
        {u"C:\\Tools\\Gaugelet\\gaugelet.exe", true},
        {u"c:\\tools\\gaugelet\\GAUGELET.EXE", true},
        {std::u16string_view(u"C:\\Tools\\Gaugelet\\gaugelet.exe\0\0", 33), true},  // stored with its NULs
        {u"\"C:\\Tools\\Gaugelet\\gaugelet.exe\"", false},
        {u"C:\\Tools\\Gaugelet\\gaugelet.exe --diagnose", false},
        {u"D:\\Old\\gaugelet.exe", false},
        {u"C:\\Tools\\Gaugelet\\gaugelet.ex", false},
        {u"", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(native_interop::autostart_entry_matches(c.stored, program), c.matches)
            << std::string(c.stored.begin(), c.stored.end());
    }
    // Only ASCII letters fold: É and é differ.
    EXPECT_FALSE(native_interop::autostart_entry_matches(std::u16string_view(u"C:\\\u00C9\\g.exe"),
                                                         std::u16string_view(u"C:\\\u00E9\\g.exe")));
    EXPECT_FALSE(native_interop::autostart_entry_matches(std::u16string_view(u""), std::u16string_view(u"")));
}

TEST(SystemTheme, LightOnlyForAReadOne) {
    EXPECT_TRUE(native_interop::dark_from_light_theme_value(std::nullopt));
    EXPECT_TRUE(native_interop::dark_from_light_theme_value(0));
    EXPECT_FALSE(native_interop::dark_from_light_theme_value(1));
    EXPECT_TRUE(native_interop::dark_from_light_theme_value(2));
}

}  // namespace

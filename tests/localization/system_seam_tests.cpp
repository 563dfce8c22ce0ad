// The system seams behind localization: the local time zone and the preferred languages.
#include <gtest/gtest.h>

#include <ostream>

#include "localization/language.hpp"
#include "platform/environment.hpp"
#include "platform/locale.hpp"
#include "platform/time_zone.hpp"

namespace platform {
// Readable failures instead of byte dumps.
void PrintTo(const LocalTime& t, std::ostream* out) {
    *out << t.year << '-' << t.month << '-' << t.day << " (weekday " << t.day_of_week << ") " << t.hour << ':'
         << t.minute << ':' << t.second;
}
}  // namespace platform

namespace {

using platform::LocalTime;

platform::FileTime at(std::int64_t unix_seconds) {
    return platform::file_time_from_unix_seconds(unix_seconds);
}

// New York on both sides of a daylight-saving change. POSIX reads TZ afresh at each call; on
// Windows the zone is the system's (Wine takes it from TZ when the process starts), so the
// second test registration starts the program with TZ set.
TEST(SystemSeamTimeZone, ConvertsWithTheSystemsZoneRules) {
#ifdef _WIN32
    if (platform::get_env("GAUGELET_EXPECT_TZ") != "America/New_York") {
        GTEST_SKIP() << "runs in the registration that starts the program with TZ=America/New_York";
    }
#else
    const auto previous = platform::get_env("TZ");
    ASSERT_TRUE(platform::set_env("TZ", std::string("America/New_York")));
#endif
    struct Case {
        std::int64_t unix_seconds;
        LocalTime expected;
    };
    const Case cases[] = {
        {1751371200, {2025, 7, 1, 2, 8, 0, 0}},       // 2025-07-01 12:00Z, EDT (UTC-4), a Tuesday
        {1736942400, {2025, 1, 15, 3, 7, 0, 0}},      // 2025-01-15 12:00Z, EST (UTC-5), a Wednesday
        {1766638800, {2025, 12, 25, 4, 0, 0, 0}},     // 2025-12-25 05:00Z is local midnight
        {1766638799, {2025, 12, 24, 3, 23, 59, 59}},  // one second earlier is Christmas Eve
        {1741503600, {2025, 3, 9, 0, 3, 0, 0}},       // 07:00Z, just after the spring change
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::to_local_time(at(c.unix_seconds)), c.expected) << c.unix_seconds;
    }
    EXPECT_EQ(platform::to_local_time(at(1751371200) + 9'999'999), (LocalTime{2025, 7, 1, 2, 8, 0, 0}))
        << "sub-second ticks do not round up";
#ifndef _WIN32
    platform::set_env("TZ", previous);
#endif
}

TEST(SystemSeamTimeZone, RefusesWhatWindowsCannotConvert) {
    EXPECT_FALSE(platform::to_local_time(0x8000000000000000ULL));
    EXPECT_TRUE(platform::to_local_time(platform::FILETIME_UNIX_EPOCH));
}

#ifdef _WIN32
// Windows asks the language settings, never the POSIX variables.
TEST(SystemSeamLanguage, AsksWindowsNotTheEnvironment) {
    ASSERT_TRUE(platform::set_env("LANGUAGE", std::string("xx-never")));
    ASSERT_TRUE(platform::set_env("LANG", std::string("xx-never")));
    const std::vector<std::string> tags = platform::preferred_language_tags();
    platform::set_env("LANGUAGE", std::nullopt);
    platform::set_env("LANG", std::nullopt);
    ASSERT_FALSE(tags.empty()) << "Windows names at least the user's default UI language";
    for (const std::string& tag : tags) {
        EXPECT_NE(tag, "xx-never");
        EXPECT_NE(tag.find('-'), std::string::npos) << "a locale name such as en-US: " << tag;
    }
    EXPECT_EQ(localization::detect_system_language(), localization::first_mapped_language(tags));
}
#else
TEST(SystemSeamLanguage, ReadsTheLocaleVariablesInOrder) {
    const char* names[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
    std::optional<std::string> saved[4];
    for (int i = 0; i < 4; ++i) {
        saved[i] = platform::get_env(names[i]);
    }
    struct Case {
        const char* values[4];
        std::vector<std::string> tags;
        localization::Language detected;
    };
    using L = localization::Language;
    const Case cases[] = {
        {{"zh_CN:fr_FR", "de_DE.UTF-8", nullptr, "ja_JP.UTF-8"},
         {"zh_CN", "fr_FR", "de_DE", "ja_JP"},
         L::French},
        {{nullptr, nullptr, "pt_PT@euro", "en_US.UTF-8"}, {"pt_PT", "en_US"}, L::BrazilianPortuguese},
        {{"", "C", "C.UTF-8", "zh_TW.Big5"}, {"C", "C", "zh_TW"}, L::TraditionalChinese},
        {{nullptr, nullptr, nullptr, nullptr}, {}, L::English},
        {{"::ko", nullptr, nullptr, nullptr}, {"ko"}, L::Korean},
    };
    for (const Case& c : cases) {
        for (int i = 0; i < 4; ++i) {
            platform::set_env(names[i], c.values[i] ? std::optional<std::string>(c.values[i]) : std::nullopt);
        }
        EXPECT_EQ(platform::preferred_language_tags(), c.tags);
        EXPECT_EQ(localization::detect_system_language(), c.detected);
    }
    for (int i = 0; i < 4; ++i) {
        platform::set_env(names[i], saved[i]);
    }
}
#endif

}  // namespace

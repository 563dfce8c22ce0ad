#include <gtest/gtest.h>

#include "platform/clock.hpp"
#include "platform/environment.hpp"
#include "platform/io_error.hpp"
#include "platform/temp_directory.hpp"

namespace {

TEST(Environment, ReadsBackWhatWasSetIncludingNonAsciiAndRemoves) {
    const std::string value = "C:\\Users\\Zo\xC3\xAB\\\xE3\x83\xA6\xE3\x83\xBC\xE3\x82\xB6\xE3\x83\xBC";
    ASSERT_TRUE(platform::set_env("GAUGELET_TEST_VARIABLE", value));
    EXPECT_EQ(platform::get_env("GAUGELET_TEST_VARIABLE"), value);
    ASSERT_TRUE(platform::set_env("GAUGELET_TEST_VARIABLE", std::string()));
    EXPECT_EQ(platform::get_env("GAUGELET_TEST_VARIABLE"), std::string());
    ASSERT_TRUE(platform::set_env("GAUGELET_TEST_VARIABLE", std::nullopt));
    EXPECT_FALSE(platform::get_env("GAUGELET_TEST_VARIABLE"));
    EXPECT_TRUE(platform::set_env("GAUGELET_TEST_VARIABLE", std::nullopt)) << "removing twice is fine";
}

TEST(Environment, ALongValueIsReadWhole) {
    const std::string value(5000, 'v');
    ASSERT_TRUE(platform::set_env("GAUGELET_TEST_LONG", value));
    EXPECT_EQ(platform::get_env("GAUGELET_TEST_LONG"), value);
    platform::set_env("GAUGELET_TEST_LONG", std::nullopt);
}

TEST(Clock, ConvertsBetweenFileTimesAndUnixTime) {
    EXPECT_EQ(platform::unix_seconds(platform::FILETIME_UNIX_EPOCH), 0u);
    EXPECT_EQ(platform::unix_seconds(platform::FILETIME_UNIX_EPOCH - 1), 0u) << "before 1970 reads as 0";
    EXPECT_EQ(platform::unix_seconds(0), 0u);
    EXPECT_EQ(platform::unix_seconds(platform::FILETIME_UNIX_EPOCH + 15'999'999), 1u);
    EXPECT_EQ(platform::file_time_from_unix_seconds(1), platform::FILETIME_UNIX_EPOCH + 10'000'000);
    EXPECT_EQ(platform::file_time_from_unix_seconds(-20'000'000'000LL), 0u);
    EXPECT_EQ(platform::unix_milliseconds(platform::FILETIME_UNIX_EPOCH + 25'000), 2);
    EXPECT_EQ(platform::unix_milliseconds(platform::FILETIME_UNIX_EPOCH - 1), -1);
    // 2026-01-01T00:00:00Z
    EXPECT_EQ(platform::unix_seconds(platform::file_time_from_unix_seconds(1767225600)), 1767225600u);
}

TEST(Clock, PreciseNowIsAfter2024AndMovesForward) {
    const platform::FileTime first = platform::precise_now();
    EXPECT_GT(platform::unix_seconds(first), 1704067200u);
    EXPECT_GE(platform::precise_now(), first);
}

TEST(TempDirectory, IsAnExistingFolder) {
    EXPECT_TRUE(std::filesystem::is_directory(platform::temp_directory()));
}

TEST(IoError, DisplaysTheSystemTextAndCode) {
    const platform::IoError error = platform::os_error(2);  // ENOENT and ERROR_FILE_NOT_FOUND alike
    EXPECT_EQ(error.code, 2u);
    EXPECT_FALSE(error.message.empty());
    EXPECT_NE(platform::display(error).find("(os error 2)"), std::string::npos);
}

}  // namespace

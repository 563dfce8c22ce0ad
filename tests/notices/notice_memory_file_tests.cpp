#include <gtest/gtest.h>

#include "notices/notice_memory_file.hpp"
#include "platform/file_io.hpp"
#include "support/temp_folder.hpp"

namespace {

using notices::NoticeMemory;

constexpr platform::FileTime RESET =
    platform::FILETIME_UNIX_EPOCH + 1'800'000'000ULL * platform::FILETIME_TICKS_PER_SECOND;

TEST(NoticeMemoryFile, WhatIsWrittenReadsBackTheSame) {
    test_support::TempFolder folder;
    const auto path = notices::memory_path_beside(folder.path() / "settings.json");
    EXPECT_EQ(path.filename(), "notices.json");
    EXPECT_EQ(notices::read_memory(path).memory, NoticeMemory{}) << "no file yet";
    const NoticeMemory memory{
        {{"claude-1", "5h", RESET, false},
         {"codex-1", "Opus 4", RESET + 60 * platform::FILETIME_TICKS_PER_SECOND, true}}};
    ASSERT_EQ(notices::write_memory(path, memory), std::nullopt);
    const auto read = notices::read_memory(path);
    EXPECT_EQ(read.memory, memory);
    EXPECT_EQ(read.problem, std::nullopt);
}

TEST(NoticeMemoryFile, AnUnusableFileGivesAnEmptyMemoryAndSaysWhy) {
    const char* unusable[] = {
        "",
        "[]",
        R"({"windows": {}})",
        R"({"windows": [{"account_id": "a", "bar": "5h", "resets_at": "1800000000", "reset_decided": false}]})",
        R"({"windows": [{"account_id": "a", "bar": "5h", "resets_at": 1.5, "reset_decided": false}]})",
        R"({"windows": [{"account_id": "a", "bar": "5h", "resets_at": 1800000000}]})",
        R"({"windows": [], "windows": []})",
    };
    for (const char* text : unusable) {
        const auto decoded = notices::decode_memory(text);
        EXPECT_TRUE(std::holds_alternative<std::string>(decoded)) << text;
    }
    test_support::TempFolder folder;
    const auto path = folder.path() / "notices.json";
    ASSERT_EQ(platform::write_file_atomic(path, "{"), std::nullopt);
    const auto read = notices::read_memory(path);
    EXPECT_EQ(read.memory, NoticeMemory{});
    EXPECT_TRUE(read.problem);
}

}  // namespace

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <thread>

#include "platform/file_io.hpp"
#include "support/temp_folder.hpp"

namespace {

using test_support::read_text;
using test_support::TempFolder;
using test_support::write_text;

// A folder whose name holds non-ASCII text, so every call goes through real UTF-16 paths on Windows.
constexpr const char* NON_ASCII = "Zo\xC3\xAB-\xE3\x83\xA6\xE3\x83\xBC\xE3\x82\xB6\xE3\x83\xBC";

TEST(ReadFile, ReadsBytesExactlyAndTellsMissingFromTooLarge) {
    TempFolder folder(NON_ASCII);
    const auto path = folder / "data.bin";
    const std::string bytes("a\0b\r\n\xFF", 6);
    write_text(path, bytes);
    auto read = platform::read_file(path);
    ASSERT_TRUE(std::holds_alternative<std::string>(read));
    EXPECT_EQ(std::get<std::string>(read), bytes);

    auto missing = platform::read_file(folder / "absent.json");
    ASSERT_TRUE(std::holds_alternative<platform::ReadError>(missing));
    EXPECT_EQ(std::get<platform::ReadError>(missing).kind, platform::ReadError::Kind::NotFound);

    auto capped = platform::read_file(path, 5);
    ASSERT_TRUE(std::holds_alternative<platform::ReadError>(capped));
    EXPECT_EQ(std::get<platform::ReadError>(capped).kind, platform::ReadError::Kind::TooLarge);

    EXPECT_TRUE(std::holds_alternative<std::string>(platform::read_file(path, 6)));
}

TEST(WriteFileAtomic, ReplacesTheWholeFileAndLeavesNoTemporaryBehind) {
    TempFolder folder(NON_ASCII);
    const auto path = folder / "settings.json";
    write_text(path, std::string(10000, 'x'));
    ASSERT_FALSE(platform::write_file_atomic(path, "short"));
    EXPECT_EQ(read_text(path), "short");
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 1u);
}

TEST(WriteFileAtomic, FailsWithoutTouchingAnythingWhenTheTargetCannotBeReplaced) {
    TempFolder folder;
    // The target is a directory: the rename fails after the temporary file was written.
    const auto target = folder / "settings.json";
    std::filesystem::create_directory(target);
    EXPECT_TRUE(platform::write_file_atomic(target, "{}"));
    EXPECT_TRUE(std::filesystem::is_directory(target));
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 1u) << "the temporary file must be removed";

    // The folder does not exist and cannot be created (its parent is a file).
    write_text(folder / "file", "x");
    EXPECT_TRUE(platform::write_file_atomic(folder / "file" / "settings.json", "{}"));
}

// A writer killed half way leaves "<name>.<pid>.<n>.tmp"; the next write clears it, and only it.
TEST(WriteFileAtomic, RemovesWhatKilledWritersLeftAndNothingElse) {
    TempFolder folder(NON_ASCII);
    const auto path = folder / "settings.json";
    const char* abandoned[] = {"settings.json.2147483647.0.tmp", "settings.json.2147483647.4294967295.tmp"};
    const char* kept[] = {"settings.json.invalid",       "settings.json.2147483647.tmp",
                          "settings.json.x.0.tmp",       "settings.json.1.0.tmp.bak",
                          "other.json.2147483647.0.tmp", "settings.json.2147483647.99999999999.tmp"};
    for (const char* name : abandoned) {
        write_text(folder / name, "{\"half\":");
    }
    for (const char* name : kept) {
        write_text(folder / name, "x");
    }
    ASSERT_FALSE(platform::write_file_atomic(path, "{}"));
    for (const char* name : abandoned) {
        EXPECT_FALSE(std::filesystem::exists(folder / name)) << name;
    }
    for (const char* name : kept) {
        EXPECT_TRUE(std::filesystem::exists(folder / name)) << name;
    }
    EXPECT_EQ(read_text(path), "{}");
    EXPECT_FALSE(platform::process_is_running(2147483647u));
    EXPECT_FALSE(platform::process_is_running(0));
}

// A reader that opened the file with the C runtime (no delete sharing on Windows) holds it for a
// moment while a save runs: the save waits for it instead of failing.
TEST(WriteFileAtomic, ASaveOutlastsAReaderThatHoldsTheFileForAMoment) {
    TempFolder folder(NON_ASCII);
    const auto path = folder / "settings.json";
    write_text(path, "old");
    auto reader = std::make_unique<std::ifstream>(path, std::ios::binary);
    ASSERT_TRUE(reader->is_open());
    std::optional<platform::IoError> error{platform::IoError{}};
    std::thread save([&] { error = platform::write_file_atomic(path, "new"); });
    // Let go once the writer is under way (its temporary file is there), or when it has finished.
    const auto temporary_present = [&] {
        for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
            if (entry.path().extension() == ".tmp") {
                return true;
            }
        }
        return false;
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!temporary_present() && read_text(path) == "old" && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::yield();
    }
    reader.reset();
    save.join();
    EXPECT_FALSE(error) << error->message;
    EXPECT_EQ(read_text(path), "new");
}

TEST(CopyFileExclusive, NeverOverwrites) {
    TempFolder folder(NON_ASCII);
    write_text(folder / "a", "first");
    write_text(folder / "b", "second");
    EXPECT_TRUE(platform::copy_file_exclusive(folder / "a", folder / "b"));
    EXPECT_EQ(read_text(folder / "b"), "second");
    EXPECT_FALSE(platform::copy_file_exclusive(folder / "a", folder / "c"));
    EXPECT_EQ(read_text(folder / "c"), "first");
}

TEST(CreateDirectories, CreatesAncestorsAndAcceptsAnExistingFolder) {
    TempFolder folder(NON_ASCII);
    const auto deep = folder / "x/y/z";
    EXPECT_FALSE(platform::create_directories(deep));
    EXPECT_TRUE(std::filesystem::is_directory(deep));
    EXPECT_FALSE(platform::create_directories(deep));
    EXPECT_TRUE(platform::path_exists(deep));
    write_text(folder / "file", "x");
    EXPECT_TRUE(platform::create_directories(folder / "file" / "sub"));
}

TEST(SharedOutputFile, TruncatesAndLetsOthersReadAndDeleteWhileOpen) {
    TempFolder folder(NON_ASCII);
    const auto path = folder / "out.log";
    write_text(path, "old content that must go");
    auto created = platform::SharedOutputFile::create_truncated(path);
    ASSERT_TRUE(std::holds_alternative<platform::SharedOutputFile>(created));
    auto& file = std::get<platform::SharedOutputFile>(created);
    EXPECT_FALSE(file.write("one\n"));
    EXPECT_FALSE(file.write("two\n"));
    EXPECT_EQ(read_text(path), "one\ntwo\n");
    std::error_code ec;
    EXPECT_TRUE(std::filesystem::remove(path, ec)) << ec.message();
    EXPECT_FALSE(file.write("after delete\n")) << "writes after a delete are still accepted";
}

TEST(SharedOutputFile, ReportsAFolderThatDoesNotExist) {
    TempFolder folder;
    auto created = platform::SharedOutputFile::create_truncated(folder / "missing" / "out.log");
    ASSERT_TRUE(std::holds_alternative<platform::IoError>(created));
    EXPECT_FALSE(platform::display(std::get<platform::IoError>(created)).empty());
}

}  // namespace

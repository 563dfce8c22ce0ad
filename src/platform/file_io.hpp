#pragma once
// Whole-file reads and writes with UTF-16 paths on Windows, and the shared output file of the log.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "platform/io_error.hpp"

namespace platform {

// Files and bodies read into memory are capped; a larger one is refused whole.
inline constexpr std::size_t MAX_READ_BYTES = 1024 * 1024;

struct ReadError {
    enum class Kind { NotFound, TooLarge, Failed };
    Kind kind = Kind::Failed;
    IoError error;
};

// The whole file as bytes, or why it could not be read.
[[nodiscard]] std::variant<std::string, ReadError> read_file(const std::filesystem::path& path,
                                                             std::size_t max_bytes = MAX_READ_BYTES);

// Replaces `path` with `contents` so that readers see the old file or the new one, never a part:
// a temporary file beside it ("<name>.<process id>.<n>.tmp") is written, flushed to disk and
// renamed over the target. The temporaries of writers that were killed half way are removed
// first, so a kill leaves nothing behind for longer than until the next write.
[[nodiscard]] std::optional<IoError> write_file_atomic(const std::filesystem::path& path,
                                                       std::string_view contents);

// The process id in the name of a temporary that write_file_atomic made for a file named
// `target_name`; nothing for any other name.
[[nodiscard]] std::optional<std::uint32_t> temporary_writer(const std::filesystem::path& name,
                                                            const std::filesystem::path& target_name);

// Deletes the temporaries beside `path` whose writer no longer runs. A live writer's temporary,
// this process's own included, is left alone: a concurrent save must not lose its file.
void remove_abandoned_temporaries(const std::filesystem::path& path);

// Whether a process with this id runs (an exited one that a parent has not reaped yet does not).
[[nodiscard]] bool process_is_running(std::uint32_t pid);

// Copies `from` to `to`, failing when `to` already exists.
[[nodiscard]] std::optional<IoError> copy_file_exclusive(const std::filesystem::path& from,
                                                         const std::filesystem::path& to);

// Creates the directory and any missing ancestors; an existing directory is success.
[[nodiscard]] std::optional<IoError> create_directories(const std::filesystem::path& path);

[[nodiscard]] bool path_exists(const std::filesystem::path& path);

// A file opened for writing, created or truncated, that other processes may read, write and
// delete while it is open. Each write() hands the whole text to the system at once.
class SharedOutputFile {
  public:
    [[nodiscard]] static std::variant<SharedOutputFile, IoError> create_truncated(
        const std::filesystem::path& path);
    // The same without emptying an existing file. Either way every write lands at the end of the
    // file as it is then, so two processes writing to one file never overwrite each other's lines.
    [[nodiscard]] static std::variant<SharedOutputFile, IoError> open_appending(
        const std::filesystem::path& path);

    SharedOutputFile(SharedOutputFile&&) noexcept;
    SharedOutputFile& operator=(SharedOutputFile&&) noexcept;
    ~SharedOutputFile();

    std::optional<IoError> write(std::string_view text);

  private:
    struct Impl;
    explicit SharedOutputFile(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform

#pragma once
// A lock shared by every process that changes one file, held for the span of a read-change-write.

#include <filesystem>
#include <memory>
#include <variant>

#include "platform/io_error.hpp"

namespace platform {

class FileLock {
  public:
    // Waits until no other holder of the lock for `path` remains (a named mutex on Windows, flock
    // on the file's folder elsewhere). The folder must exist.
    [[nodiscard]] static std::variant<FileLock, IoError> acquire(const std::filesystem::path& path);

    FileLock(FileLock&&) noexcept;
    FileLock& operator=(FileLock&&) noexcept;
    ~FileLock();

  private:
    struct Impl;
    explicit FileLock(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform

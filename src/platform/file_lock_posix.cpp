// flock on the folder that holds the file: nothing is left beside the file, and the lock goes
// with the descriptor, so a writer that dies while holding it never blocks the next one.
#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>

#include "platform/file_lock.hpp"
#include "platform/os_handle_posix.hpp"

namespace platform {

struct FileLock::Impl {
    Fd fd;
};

std::variant<FileLock, IoError> FileLock::acquire(const std::filesystem::path& path) {
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    Fd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd) {
        return last_os_error();
    }
    while (::flock(fd.get(), LOCK_EX) != 0) {
        if (errno != EINTR) {
            return last_os_error();
        }
    }
    return FileLock(std::make_unique<Impl>(Impl{std::move(fd)}));
}

FileLock::FileLock(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
FileLock::FileLock(FileLock&&) noexcept = default;
FileLock& FileLock::operator=(FileLock&&) noexcept = default;
FileLock::~FileLock() = default;

}  // namespace platform

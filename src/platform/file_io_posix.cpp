// Files through open, read, write and rename, with interrupted calls retried.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <limits>
#include <string>

#include "platform/file_io.hpp"
#include "platform/os_handle_posix.hpp"

namespace platform {
namespace {

std::optional<IoError> write_all(int fd, std::string_view contents) {
    while (!contents.empty()) {
        const ssize_t written = ::write(fd, contents.data(), contents.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return last_os_error();
        }
        contents.remove_prefix(static_cast<std::size_t>(written));
    }
    return std::nullopt;
}

std::filesystem::path temporary_sibling(const std::filesystem::path& path) {
    static std::atomic<unsigned> counter{0};
    return path.parent_path() / (path.filename().native() + "." + std::to_string(::getpid()) + "." +
                                 std::to_string(counter.fetch_add(1)) + ".tmp");
}

}  // namespace

std::variant<std::string, ReadError> read_file(const std::filesystem::path& path, std::size_t max_bytes) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd) {
        const int code = errno;
        return ReadError{code == ENOENT ? ReadError::Kind::NotFound : ReadError::Kind::Failed,
                         os_error(static_cast<std::uint32_t>(code))};
    }
    std::string contents;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return ReadError{ReadError::Kind::Failed, last_os_error()};
        }
        if (got == 0) {
            return contents;
        }
        if (contents.size() + static_cast<std::size_t>(got) > max_bytes) {
            return ReadError{ReadError::Kind::TooLarge, IoError{EFBIG, "file is larger than the limit"}};
        }
        contents.append(buffer, static_cast<std::size_t>(got));
    }
}

bool process_is_running(std::uint32_t pid) {
    // Signal 0 only checks; a process we may not signal still exists. Ids that do not fit pid_t
    // would name process groups (or every process) instead.
    if (pid == 0 || pid > static_cast<std::uint32_t>(std::numeric_limits<pid_t>::max())) {
        return false;
    }
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

std::optional<IoError> write_file_atomic(const std::filesystem::path& path, std::string_view contents) {
    remove_abandoned_temporaries(path);
    const std::filesystem::path temporary = temporary_sibling(path);
    Fd fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!fd && errno == EEXIST) {
        // Our counter never repeats a name, so this one is left by an earlier process that had
        // our process id.
        ::unlink(temporary.c_str());
        fd.reset(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    }
    if (!fd) {
        return last_os_error();
    }
    std::optional<IoError> error = write_all(fd.get(), contents);
    if (!error && ::fsync(fd.get()) != 0) {
        error = last_os_error();
    }
    if (!error && ::close(fd.release()) != 0) {
        error = last_os_error();
    }
    if (!error && ::rename(temporary.c_str(), path.c_str()) != 0) {
        error = last_os_error();
    }
    if (error) {
        fd.reset();
        ::unlink(temporary.c_str());
    }
    return error;
}

std::optional<IoError> copy_file_exclusive(const std::filesystem::path& from,
                                           const std::filesystem::path& to) {
    auto contents = read_file(from, static_cast<std::size_t>(-1));
    if (auto* failure = std::get_if<ReadError>(&contents)) {
        return failure->error;
    }
    Fd fd(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!fd) {
        return last_os_error();
    }
    if (auto error = write_all(fd.get(), std::get<std::string>(contents))) {
        fd.reset();
        ::unlink(to.c_str());
        return error;
    }
    if (::fsync(fd.get()) != 0) {
        return last_os_error();
    }
    return std::nullopt;
}

struct SharedOutputFile::Impl {
    Fd fd;
};

SharedOutputFile::SharedOutputFile(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
SharedOutputFile::SharedOutputFile(SharedOutputFile&&) noexcept = default;
SharedOutputFile& SharedOutputFile::operator=(SharedOutputFile&&) noexcept = default;
SharedOutputFile::~SharedOutputFile() = default;

std::variant<SharedOutputFile, IoError> SharedOutputFile::create_truncated(
    const std::filesystem::path& path) {
    Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0600));
    if (!fd) {
        return last_os_error();
    }
    return SharedOutputFile(std::make_unique<Impl>(Impl{std::move(fd)}));
}

std::variant<SharedOutputFile, IoError> SharedOutputFile::open_appending(const std::filesystem::path& path) {
    Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600));
    if (!fd) {
        return last_os_error();
    }
    return SharedOutputFile(std::make_unique<Impl>(Impl{std::move(fd)}));
}

std::optional<IoError> SharedOutputFile::write(std::string_view text) {
    return write_all(impl_->fd.get(), text);
}

}  // namespace platform

// Files through CreateFileW and friends, so that every path is UTF-16 end to end.
#include <algorithm>
#include <atomic>

#include "platform/file_io.hpp"
#include "platform/os_handle_win32.hpp"
#include "platform/windows_win32.hpp"

namespace platform {
namespace {

std::optional<IoError> write_all(HANDLE file, std::string_view contents) {
    while (!contents.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(contents.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, contents.data(), chunk, &written, nullptr)) {
            return last_os_error();
        }
        contents.remove_prefix(written);
    }
    return std::nullopt;
}

std::filesystem::path temporary_sibling(const std::filesystem::path& path) {
    static std::atomic<unsigned> counter{0};
    std::wstring name = path.filename().native();
    name += L"." + std::to_wstring(GetCurrentProcessId()) + L"." + std::to_wstring(counter.fetch_add(1)) +
            L".tmp";
    return path.parent_path() / name;
}

// Replacing a file that another program holds open without FILE_SHARE_DELETE (an editor, a
// virus scanner, a reader that opened it with the C runtime) fails for as long as it is open,
// which is usually a moment: try again for about half a second before the save counts as failed.
bool replace_with_retries(const std::filesystem::path& from, const std::filesystem::path& to) {
    constexpr int ATTEMPTS = 20;
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        const DWORD code = GetLastError();
        const bool held_open =
            code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION || code == ERROR_ACCESS_DENIED;
        if (!held_open || attempt == ATTEMPTS) {
            SetLastError(code);
            return false;
        }
        Sleep(25);
    }
}

}  // namespace

std::variant<std::string, ReadError> read_file(const std::filesystem::path& path, std::size_t max_bytes) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD code = GetLastError();
        const bool missing = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
        return ReadError{missing ? ReadError::Kind::NotFound : ReadError::Kind::Failed, os_error(code)};
    }
    std::string contents;
    char buffer[64 * 1024];
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) {
            return ReadError{ReadError::Kind::Failed, last_os_error()};
        }
        if (read == 0) {
            return contents;
        }
        if (contents.size() + read > max_bytes) {
            return ReadError{ReadError::Kind::TooLarge, IoError{0, "file is larger than the limit"}};
        }
        contents.append(buffer, read);
    }
}

bool process_is_running(std::uint32_t pid) {
    if (pid == 0) {
        return false;
    }
    KernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
    if (!process) {
        // No such process; a process we may not open (another user's) exists.
        return GetLastError() == ERROR_ACCESS_DENIED;
    }
    return WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

std::optional<IoError> write_file_atomic(const std::filesystem::path& path, std::string_view contents) {
    remove_abandoned_temporaries(path);
    const std::filesystem::path temporary = temporary_sibling(path);
    {
        FileHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file && GetLastError() == ERROR_FILE_EXISTS) {
            // Our counter never repeats a name, so this one is left by an earlier process that
            // had our process id.
            DeleteFileW(temporary.c_str());
            file.reset(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        }
        if (!file) {
            return last_os_error();
        }
        std::optional<IoError> error = write_all(file.get(), contents);
        if (!error && !FlushFileBuffers(file.get())) {
            error = last_os_error();
        }
        if (error) {
            file.reset();
            DeleteFileW(temporary.c_str());
            return error;
        }
    }
    if (!replace_with_retries(temporary, path)) {
        const IoError error = last_os_error();
        DeleteFileW(temporary.c_str());
        return error;
    }
    return std::nullopt;
}

std::optional<IoError> copy_file_exclusive(const std::filesystem::path& from,
                                           const std::filesystem::path& to) {
    if (!CopyFileW(from.c_str(), to.c_str(), TRUE)) {
        return last_os_error();
    }
    return std::nullopt;
}

struct SharedOutputFile::Impl {
    FileHandle file;
};

SharedOutputFile::SharedOutputFile(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
SharedOutputFile::SharedOutputFile(SharedOutputFile&&) noexcept = default;
SharedOutputFile& SharedOutputFile::operator=(SharedOutputFile&&) noexcept = default;
SharedOutputFile::~SharedOutputFile() = default;

std::variant<SharedOutputFile, IoError> SharedOutputFile::create_truncated(
    const std::filesystem::path& path) {
    // Emptied with write access, then reopened for appending only: FILE_APPEND_DATA without
    // FILE_WRITE_DATA makes every write go to the current end of the file.
    FileHandle emptied(CreateFileW(path.c_str(), GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!emptied) {
        return last_os_error();
    }
    emptied.reset();
    return open_appending(path);
}

std::variant<SharedOutputFile, IoError> SharedOutputFile::open_appending(const std::filesystem::path& path) {
    FileHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA | SYNCHRONIZE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return last_os_error();
    }
    return SharedOutputFile(std::make_unique<Impl>(Impl{std::move(file)}));
}

std::optional<IoError> SharedOutputFile::write(std::string_view text) {
    return write_all(impl_->file.get(), text);
}

}  // namespace platform

// A named mutex per file: its name carries a hash of the file's full path in lower case, so every
// process that names the file (by whatever spelling) shares one lock. A holder that dies leaves
// the mutex abandoned, which the next waiter takes over.
#include <cwctype>
#include <string>

#include "platform/file_lock.hpp"
#include "platform/os_handle_win32.hpp"
#include "platform/windows_win32.hpp"

namespace platform {
namespace {

std::wstring mutex_name(const std::filesystem::path& path) {
    std::error_code ec;
    std::wstring full = std::filesystem::absolute(path, ec).lexically_normal().native();
    if (ec) {
        full = path.native();
    }
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (wchar_t c : full) {
        hash = (hash ^ static_cast<std::uint64_t>(std::towlower(c))) * 1099511628211ull;
    }
    wchar_t digits[17] = {};
    for (int i = 15; i >= 0; --i, hash >>= 4) {
        digits[i] = L"0123456789abcdef"[hash & 0xF];
    }
    return std::wstring(L"Local\\Quotavane-settings-") + digits;
}

}  // namespace

struct FileLock::Impl {
    KernelHandle mutex;
    ~Impl() {
        if (mutex) {
            ReleaseMutex(mutex.get());
        }
    }
};

std::variant<FileLock, IoError> FileLock::acquire(const std::filesystem::path& path) {
    KernelHandle mutex(CreateMutexW(nullptr, FALSE, mutex_name(path).c_str()));
    if (!mutex) {
        return last_os_error();
    }
    const DWORD waited = WaitForSingleObject(mutex.get(), INFINITE);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        return last_os_error();
    }
    auto impl = std::make_unique<Impl>();
    impl->mutex = std::move(mutex);
    return FileLock(std::move(impl));
}

FileLock::FileLock(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
FileLock::FileLock(FileLock&&) noexcept = default;
FileLock& FileLock::operator=(FileLock&&) noexcept = default;
FileLock::~FileLock() = default;

}  // namespace platform

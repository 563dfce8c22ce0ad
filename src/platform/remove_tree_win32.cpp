// Deleting a folder tree on Windows. The standard library's remove_all follows junctions, so the
// walk is our own: an entry carrying FILE_ATTRIBUTE_REPARSE_POINT (a junction, a symbolic link)
// is deleted as it stands and never entered. Paths go through the "\\?\" form so deep trees
// beyond MAX_PATH are deleted too.
#include <string>

#include "platform/os_handle_win32.hpp"
#include "platform/remove_tree.hpp"
#include "platform/windows_win32.hpp"

namespace platform {
namespace {

struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(Handle h) noexcept { FindClose(h); }
};
using FindHandle = UniqueHandle<FindHandleTraits>;

constexpr std::wstring_view LONG_PREFIX = L"\\\\?\\";

bool gone(DWORD code) {
    return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
}

std::filesystem::path shown(const std::wstring& path) {
    const std::wstring_view view(path);
    return std::filesystem::path(view.starts_with(LONG_PREFIX) ? view.substr(LONG_PREFIX.size()) : view);
}

// Clears the read-only attribute through a handle to the entry itself, so that a link's target
// is never changed.
void clear_read_only(const std::wstring& path) {
    const FileHandle entry(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                       OPEN_EXISTING,
                                       FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    FILE_BASIC_INFO info{};
    if (!entry || !GetFileInformationByHandleEx(entry.get(), FileBasicInfo, &info, sizeof info)) {
        return;  // the delete that follows reports the failure
    }
    info.FileAttributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
    if (info.FileAttributes == 0) {
        info.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    }
    SetFileInformationByHandle(entry.get(), FileBasicInfo, &info, sizeof info);
}

bool remove_children(const std::wstring& folder, std::vector<RemoveFailure>& failures);

void remove_entry(const std::wstring& path, DWORD attributes, std::vector<RemoveFailure>& failures) {
    const bool directory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (directory && !link && !remove_children(path, failures)) {
        return;  // what stays inside keeps the folder too
    }
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        clear_read_only(path);
    }
    // On a junction or a directory link RemoveDirectoryW deletes the link, on a file link
    // DeleteFileW deletes the link: neither reaches the target.
    if (directory ? RemoveDirectoryW(path.c_str()) : DeleteFileW(path.c_str())) {
        return;
    }
    const DWORD code = GetLastError();
    if (!gone(code)) {
        failures.push_back({shown(path), os_error(code)});
    }
}

bool remove_children(const std::wstring& folder, std::vector<RemoveFailure>& failures) {
    struct Child {
        std::wstring path;
        DWORD attributes;
    };
    std::vector<Child> children;
    WIN32_FIND_DATAW found{};
    // The attributes found here are the entry's own: a link is reported as a link.
    const FindHandle search(FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &found,
                                             FindExSearchNameMatch, nullptr, 0));
    if (!search) {
        const DWORD code = GetLastError();
        if (gone(code)) {
            return true;
        }
        failures.push_back({shown(folder), os_error(code)});
        return false;
    }
    do {
        const std::wstring_view name(found.cFileName);
        if (name != L"." && name != L"..") {
            children.push_back({folder + L"\\" + found.cFileName, found.dwFileAttributes});
        }
    } while (FindNextFileW(search.get(), &found));
    if (const DWORD code = GetLastError(); code != ERROR_NO_MORE_FILES) {
        failures.push_back({shown(folder), os_error(code)});
        return false;
    }
    const std::size_t before = failures.size();
    for (const auto& child : children) {
        remove_entry(child.path, child.attributes, failures);
    }
    return failures.size() == before;
}

}  // namespace

std::vector<RemoveFailure> remove_tree(const std::filesystem::path& root) {
    std::vector<RemoveFailure> failures;
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(root, ec).lexically_normal();
    if (ec) {
        full = root;
    }
    std::wstring path = full.make_preferred().native();
    while (path.size() > 3 && path.back() == L'\\') {
        path.pop_back();
    }
    if (full.is_absolute() && !path.starts_with(L"\\\\")) {
        path.insert(0, LONG_PREFIX);
    }
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        if (const DWORD code = GetLastError(); !gone(code)) {
            failures.push_back({root, os_error(code)});
        }
        return failures;
    }
    remove_entry(path, attributes, failures);
    return failures;
}

}  // namespace platform

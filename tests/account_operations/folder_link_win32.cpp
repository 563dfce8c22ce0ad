// Folder links on Windows: a junction made with FSCTL_SET_REPARSE_POINT. Wine 8 refuses that
// (ERROR_NOT_SUPPORTED), and its mklink /J and CreateSymbolicLinkW create nothing; but it shows a
// Unix symbolic link to a folder as a folder carrying FILE_ATTRIBUTE_REPARSE_POINT, as Windows
// shows a junction, and it starts Unix programs when they are named as the application and not
// started suspended. So under Wine the link is made by /bin/ln.
#include <cstring>
#include <string>

#include "folder_link.hpp"
#include "platform/os_handle_win32.hpp"
#include "platform/windows_win32.hpp"
// After windows.h, whose types it uses.
#include <winioctl.h>

namespace test_links {
namespace {

bool make_junction(const std::filesystem::path& link, const std::filesystem::path& target) {
    if (!CreateDirectoryW(link.c_str(), nullptr)) {
        return false;
    }
    const platform::FileHandle folder(CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                                  nullptr));
    const std::wstring substitute = L"\\??\\" + std::filesystem::absolute(target).native();
    const auto bytes = static_cast<WORD>(substitute.size() * sizeof(wchar_t));
    struct {
        DWORD tag;
        WORD length;
        WORD reserved;
        WORD substitute_offset, substitute_length, print_offset, print_length;
        wchar_t paths[1024];
    } buffer{};
    buffer.tag = IO_REPARSE_TAG_MOUNT_POINT;
    std::memcpy(buffer.paths, substitute.c_str(), bytes);
    buffer.substitute_length = bytes;
    buffer.print_offset = static_cast<WORD>(bytes + sizeof(wchar_t));
    buffer.length = static_cast<WORD>(8 + bytes + 2 * sizeof(wchar_t));
    DWORD returned = 0;
    if (folder && DeviceIoControl(folder.get(), FSCTL_SET_REPARSE_POINT, &buffer, buffer.length + 8u, nullptr,
                                  0, &returned, nullptr)) {
        return true;
    }
    RemoveDirectoryW(link.c_str());
    return false;
}

bool make_unix_link(const std::filesystem::path& link, const std::filesystem::path& target) {
    std::wstring relative = target.lexically_relative(link.parent_path()).native();
    for (auto& c : relative) {
        c = c == L'\\' ? L'/' : c;
    }
    std::wstring line = L"ln -s \"" + relative + L"\" \"" + link.filename().native() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(L"Z:\\bin\\ln", line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        link.parent_path().c_str(), &startup, &info)) {
        return false;
    }
    const platform::KernelHandle process(info.hProcess);
    const platform::KernelHandle thread(info.hThread);
    WaitForSingleObject(process.get(), 30000);
    return true;
}

}  // namespace

bool make_folder_link(const std::filesystem::path& link, const std::filesystem::path& target) {
    if (!make_junction(link, target)) {
        (void)make_unix_link(link, target);
    }
    std::error_code ec;
    return std::filesystem::exists(link, ec);
}

}  // namespace test_links

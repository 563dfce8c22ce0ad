#pragma once
// Owners for Windows kernel handles. Most calls report failure as a null handle; CreateFileW and
// a few others use INVALID_HANDLE_VALUE, so each kind has its own owner.

#include "platform/unique_handle.hpp"
#include "platform/windows_win32.hpp"

namespace platform {

struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle invalid() noexcept { return nullptr; }
    static void close(Handle h) noexcept { CloseHandle(h); }
};
using KernelHandle = UniqueHandle<KernelHandleTraits>;

struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(Handle h) noexcept { CloseHandle(h); }
};
using FileHandle = UniqueHandle<FileHandleTraits>;

}  // namespace platform

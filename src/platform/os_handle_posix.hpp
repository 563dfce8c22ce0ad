#pragma once
// The owner of a POSIX file descriptor.

#include <unistd.h>

#include "platform/unique_handle.hpp"

namespace platform {

struct FdTraits {
    using Handle = int;
    static Handle invalid() noexcept { return -1; }
    static void close(Handle fd) noexcept { ::close(fd); }
};
using Fd = UniqueHandle<FdTraits>;

}  // namespace platform

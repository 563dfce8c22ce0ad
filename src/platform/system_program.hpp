#pragma once
// Where the system's own programs (cmd.exe, where.exe, powershell.exe) are started from. Started
// by bare name, Windows would look in the program's folder and the current folder first, where a
// planted copy would run in their place.

#include <string>
#include <string_view>

namespace platform {

// Windows: the full path of `name` in the system folder (GetSystemDirectoryW), or an empty
// string, which never starts, when the folder cannot be read. POSIX: `name` unchanged.
[[nodiscard]] std::string system_program(std::string_view name);

}  // namespace platform

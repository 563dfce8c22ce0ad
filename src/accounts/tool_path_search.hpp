#pragma once
// Finding a tool through the PATH entries only. Starting a bare name would let the platform look
// in our own folder and the current folder first, where anyone could have put a "claude.exe".

#include <optional>
#include <string>
#include <string_view>

namespace accounts {

// The full path of the first regular file named `candidate` in an entry of `search_path` (a PATH
// value); executable on POSIX, and on Windows a name without an extension means its ".exe".
// Empty and relative entries (the current folder, by another name) are skipped, and so is a
// candidate that is itself a path.
[[nodiscard]] std::optional<std::string> find_on_path(std::string_view candidate,
                                                      std::string_view search_path);

}  // namespace accounts

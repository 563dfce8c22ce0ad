#pragma once
// The user's temporary folder, as the system reports it.

#include <filesystem>

namespace platform {

// GetTempPath2W where the system has it, else GetTempPathW; TMPDIR or /tmp on POSIX.
[[nodiscard]] std::filesystem::path temp_directory();

}  // namespace platform

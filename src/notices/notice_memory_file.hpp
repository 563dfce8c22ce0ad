#pragma once
// The remembered windows in a small file of their own beside the settings file ("notices.json").
// It changes as polls bring new windows, so it stays out of the user's settings file, which is
// written only when the user changes a choice.

#include <filesystem>
#include <optional>
#include <string>
#include <variant>

#include "notices/notice_decisions.hpp"

namespace notices {

inline constexpr std::string_view NOTICE_MEMORY_FILE_NAME = "notices.json";

// {"windows": [{"account_id": "claude-1", "bar": "5h", "resets_at": 1800000000, "reset_decided": false}]},
// instants in Unix seconds.
[[nodiscard]] std::string encode_memory(const NoticeMemory& memory);

// The memory a file's text holds, or why it holds none.
[[nodiscard]] std::variant<NoticeMemory, std::string> decode_memory(std::string_view text);

// The file beside the settings file at `settings_path`.
[[nodiscard]] std::filesystem::path memory_path_beside(const std::filesystem::path& settings_path);

// Reads the file: an empty memory when there is none; an unusable file also gives an empty memory,
// with the reason (the worst that costs is a notice shown once more).
struct MemoryRead {
    NoticeMemory memory;
    std::optional<std::string> problem;
};
[[nodiscard]] MemoryRead read_memory(const std::filesystem::path& path);

// Replaces the file atomically; the reason when nothing was written.
[[nodiscard]] std::optional<std::string> write_memory(const std::filesystem::path& path,
                                                      const NoticeMemory& memory);

}  // namespace notices

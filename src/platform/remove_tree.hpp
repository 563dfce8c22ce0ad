#pragma once
// Deleting a folder with everything in it without ever leaving it through a link: a junction or
// symbolic link met on the way is deleted itself, never what it points to. Read-only entries are
// made writable first, and an entry that still cannot be deleted does not stop the rest.

#include <filesystem>
#include <vector>

#include "platform/io_error.hpp"

namespace platform {

struct RemoveFailure {
    std::filesystem::path path;
    IoError error;
};

// Deletes `root` (a folder, a link or a file) and what it holds. What is already gone counts as
// deleted. Returns the entries that could not be deleted; a folder that keeps them is not listed.
[[nodiscard]] std::vector<RemoveFailure> remove_tree(const std::filesystem::path& root);

}  // namespace platform

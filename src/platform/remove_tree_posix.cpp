// Deleting a folder tree on POSIX: links are told apart with symlink_status and unlinked.
#include <cerrno>

#include "platform/remove_tree.hpp"

namespace platform {
namespace {

namespace fs = std::filesystem;

IoError error_of(const std::error_code& ec) {
    return os_error(static_cast<std::uint32_t>(ec.value()));
}

bool gone(const std::error_code& ec) {
    return ec == std::errc::no_such_file_or_directory;
}

// True when everything inside `folder` was deleted.
bool remove_children(const fs::path& folder, std::vector<RemoveFailure>& failures);

void remove_entry(const fs::path& path, std::vector<RemoveFailure>& failures) {
    std::error_code ec;
    const auto status = fs::symlink_status(path, ec);
    if (ec) {
        if (!gone(ec)) {
            failures.push_back({path, error_of(ec)});
        }
        return;
    }
    if (status.type() == fs::file_type::directory) {
        // A folder we may not write to keeps its entries: the equivalent of a read-only folder.
        constexpr auto needed = fs::perms::owner_all;
        if ((status.permissions() & needed) != needed) {
            fs::permissions(path, needed, fs::perm_options::add | fs::perm_options::nofollow, ec);
        }
        if (!remove_children(path, failures)) {
            return;  // what stays inside keeps the folder too
        }
    }
    if (!fs::remove(path, ec) && ec && !gone(ec)) {
        failures.push_back({path, error_of(ec)});
    }
}

bool remove_children(const fs::path& folder, std::vector<RemoveFailure>& failures) {
    const std::size_t before = failures.size();
    std::vector<fs::path> children;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        children.push_back(it->path());
    }
    if (ec && !gone(ec)) {
        failures.push_back({folder, error_of(ec)});
        return false;
    }
    for (const auto& child : children) {
        remove_entry(child, failures);
    }
    return failures.size() == before;
}

}  // namespace

std::vector<RemoveFailure> remove_tree(const std::filesystem::path& root) {
    std::vector<RemoveFailure> failures;
    remove_entry(root, failures);
    return failures;
}

}  // namespace platform

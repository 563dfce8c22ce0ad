#include "accounts/tool_path_search.hpp"

#include <filesystem>

#include "text/path_text.hpp"

namespace accounts {
namespace {

#ifdef _WIN32
constexpr char SEPARATOR = ';';
#else
constexpr char SEPARATOR = ':';
#endif

bool is_tool_file(const std::filesystem::path& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::is_regular_file(status)) {
        return false;
    }
#ifdef _WIN32
    return true;
#else
    using std::filesystem::perms;
    return (status.permissions() & (perms::owner_exec | perms::group_exec | perms::others_exec)) !=
           perms::none;
#endif
}

// The folder an entry names, when it names one absolutely. Windows entries may be quoted.
std::optional<std::filesystem::path> entry_folder(std::string_view entry) {
#ifdef _WIN32
    if (entry.size() >= 2 && entry.front() == '"' && entry.back() == '"') {
        entry = entry.substr(1, entry.size() - 2);
    }
#endif
    if (entry.empty()) {
        return std::nullopt;
    }
    auto folder = text::path_from_utf8(entry);
    if (!folder || !folder->is_absolute()) {
        return std::nullopt;
    }
    return folder;
}

}  // namespace

std::optional<std::string> find_on_path(std::string_view candidate, std::string_view search_path) {
    if (candidate.empty() || candidate.find_first_of("/\\:") != std::string_view::npos) {
        return std::nullopt;
    }
    std::string file_name(candidate);
#ifdef _WIN32
    if (file_name.find('.') == std::string::npos) {
        file_name += ".exe";
    }
#endif
    const auto name = text::path_from_utf8(file_name);
    if (!name) {
        return std::nullopt;
    }
    for (;;) {
        const auto separator = search_path.find(SEPARATOR);
        if (const auto folder = entry_folder(search_path.substr(0, separator))) {
            const auto path = *folder / *name;
            if (is_tool_file(path)) {
                return text::path_to_utf8(path);
            }
        }
        if (separator == std::string_view::npos) {
            return std::nullopt;
        }
        search_path.remove_prefix(separator + 1);
    }
}

}  // namespace accounts

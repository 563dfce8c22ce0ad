// The portable half of the file seam: directory creation and existence, and finding the
// temporaries of killed writers, through std::filesystem.
#include "platform/file_io.hpp"

#include <cstdint>
#include <string_view>
#include <system_error>

namespace platform {
namespace {

IoError from_error_code(const std::error_code& ec) {
    return IoError{static_cast<std::uint32_t>(ec.value()), ec.message()};
}

// Digits only, and a value that fits 32 bits.
template <typename Char>
std::optional<std::uint32_t> decimal(std::basic_string_view<Char> text) {
    if (text.empty() || text.size() > 10) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const Char c : text) {
        if (c < Char('0') || c > Char('9')) {
            return std::nullopt;
        }
        value = value * 10 + static_cast<std::uint64_t>(c - Char('0'));
    }
    if (value > 0xFFFFFFFFu) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

}  // namespace

std::optional<std::uint32_t> temporary_writer(const std::filesystem::path& name,
                                              const std::filesystem::path& target_name) {
    using Char = std::filesystem::path::value_type;
    using View = std::basic_string_view<Char>;
    const View text(name.native());
    const View target(target_name.native());
    constexpr Char SUFFIX[] = {Char('.'), Char('t'), Char('m'), Char('p')};
    const View suffix(SUFFIX, 4);
    // <target>.<pid>.<n>.tmp
    if (text.size() < target.size() + 1 + suffix.size() || text.substr(0, target.size()) != target ||
        text[target.size()] != Char('.') || text.substr(text.size() - suffix.size()) != suffix) {
        return std::nullopt;
    }
    const View middle = text.substr(target.size() + 1, text.size() - target.size() - 1 - suffix.size());
    const auto dot = middle.find(Char('.'));
    if (dot == View::npos || !decimal(middle.substr(dot + 1))) {
        return std::nullopt;
    }
    return decimal(middle.substr(0, dot));
}

void remove_abandoned_temporaries(const std::filesystem::path& path) {
    std::error_code ec;
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    std::filesystem::directory_iterator it(folder, ec);
    if (ec) {
        return;  // no folder yet: nothing was left in it
    }
    const std::filesystem::path target_name = path.filename();
    for (; it != std::filesystem::directory_iterator(); it.increment(ec)) {
        if (ec) {
            return;
        }
        const std::filesystem::path& entry = it->path();
        const auto writer = temporary_writer(entry.filename(), target_name);
        if (writer && !process_is_running(*writer) && it->is_regular_file(ec)) {
            std::filesystem::remove(entry, ec);  // best effort: the next write tries again
        }
    }
}

std::optional<IoError> create_directories(const std::filesystem::path& path) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    if (ec) {
        return from_error_code(ec);
    }
    return std::nullopt;
}

bool path_exists(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

}  // namespace platform

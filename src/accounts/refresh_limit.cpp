#include "accounts/refresh_limit.hpp"

#include <functional>
#include <string>
#include <variant>

#include "platform/file_io.hpp"

namespace accounts {

bool RefreshLimit::allows(const std::filesystem::path& dir, const std::filesystem::path& file,
                          TimePoint now) const {
    std::optional<Unhelpful> last;
    {
        std::lock_guard<std::mutex> held(mutex_);
        const auto it = unhelpful_.find(dir);
        if (it == unhelpful_.end()) {
            return true;
        }
        last = it->second;
    }
    return now - last->at >= UNHELPFUL_REFRESH_PAUSE || fingerprint(file) != last->file;
}

void RefreshLimit::noted(const std::filesystem::path& dir, std::optional<std::size_t> before,
                         std::optional<std::size_t> after, TimePoint now) {
    std::lock_guard<std::mutex> held(mutex_);
    if (before == after) {
        unhelpful_[dir] = Unhelpful{now, after};
    } else {
        unhelpful_.erase(dir);
    }
}

void RefreshLimit::forget(const std::filesystem::path& dir) {
    std::lock_guard<std::mutex> held(mutex_);
    unhelpful_.erase(dir);
}

std::optional<std::size_t> RefreshLimit::fingerprint(const std::filesystem::path& file) {
    auto contents = platform::read_file(file);
    if (auto* bytes = std::get_if<std::string>(&contents)) {
        return std::hash<std::string>{}(*bytes);
    }
    return std::nullopt;
}

RefreshLimit& refresh_limit() {
    static RefreshLimit* limit = new RefreshLimit();  // never destroyed: poll threads are detached
    return *limit;
}

}  // namespace accounts

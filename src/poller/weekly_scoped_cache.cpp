#include "poller/weekly_scoped_cache.hpp"

namespace poller {

void WeeklyScopedCache::store(const std::filesystem::path& dir, const std::vector<ModelBar>& bars) {
    std::lock_guard<std::mutex> held(mutex_);
    bars_[dir] = bars;
}

std::optional<std::vector<ModelBar>> WeeklyScopedCache::lookup(const std::filesystem::path& dir) const {
    std::lock_guard<std::mutex> held(mutex_);
    const auto it = bars_.find(dir);
    if (it == bars_.end()) {
        return std::nullopt;
    }
    return it->second;
}

WeeklyScopedCache& weekly_scoped_cache() {
    static WeeklyScopedCache* cache = new WeeklyScopedCache();  // never destroyed: poll threads are detached
    return *cache;
}

}  // namespace poller

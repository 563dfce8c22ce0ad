#include "accounts/tool_discovery_cache.hpp"

#include "text/path_text.hpp"

namespace accounts {
namespace {

std::optional<FileStamp> stamp_of(const LocatedTool& located) {
    if (!located.found) {
        return std::nullopt;
    }
    const auto path = text::path_from_utf8(located.program);
    return path ? file_stamp(*path) : std::nullopt;
}

}  // namespace

DiscoveryCache::DiscoveryCache(const platform::MonotonicClock& clock) : clock_(&clock) {}

std::optional<LocatedTool> DiscoveryCache::find(const std::string& tool,
                                                const std::string& search_path) const {
    Entry entry;
    {
        const std::lock_guard lock(mutex_);
        const auto it = entries_.find(tool);
        if (it == entries_.end()) {
            return std::nullopt;
        }
        entry = it->second;
    }
    if (entry.search_path != search_path) {
        return std::nullopt;
    }
    if (!entry.located.found) {
        if (clock_->now() - entry.looked_at >= MISSING_TOOL_RECHECK) {
            return std::nullopt;
        }
        return entry.located;
    }
    // A tool updated in place (a new version, a wrapper rewritten) is looked at again.
    const auto stamp = stamp_of(entry.located);
    if (!stamp || stamp != entry.stamp) {
        return std::nullopt;
    }
    return entry.located;
}

void DiscoveryCache::store(const std::string& tool, const std::string& search_path,
                           const LocatedTool& located) {
    Entry entry{search_path, located, stamp_of(located), clock_->now()};
    const std::lock_guard lock(mutex_);
    entries_[tool] = std::move(entry);
}

void DiscoveryCache::clear() {
    const std::lock_guard lock(mutex_);
    entries_.clear();
}

DiscoveryCache& discovery_cache() {
    static DiscoveryCache* cache = new DiscoveryCache();  // never destroyed: poll threads are detached
    return *cache;
}

}  // namespace accounts

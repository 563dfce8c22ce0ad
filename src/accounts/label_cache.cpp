#include "accounts/label_cache.hpp"

#include "accounts/claude_credentials.hpp"
#include "accounts/login.hpp"

namespace accounts {

std::optional<std::optional<std::string>> LabelCache::find(const std::filesystem::path& dir,
                                                           const std::optional<FileStamp>& stamp,
                                                           platform::MonotonicClock::TimePoint now) const {
    const std::lock_guard lock(mutex_);
    const auto it = entries_.find(dir);
    if (it == entries_.end() || it->second.stamp != stamp || now - it->second.asked_at >= LABEL_KEEP ||
        now < it->second.asked_at) {
        return std::nullopt;
    }
    return it->second.label;
}

void LabelCache::store(const std::filesystem::path& dir, const std::optional<FileStamp>& stamp,
                       platform::MonotonicClock::TimePoint now, std::optional<std::string> label) {
    const std::lock_guard lock(mutex_);
    entries_[dir] = Entry{stamp, now, std::move(label)};
}

LabelCache& label_cache() {
    static LabelCache* cache = new LabelCache();  // never destroyed: poll threads are detached
    return *cache;
}

std::optional<std::string> kept_account_email(Provider provider, const std::filesystem::path& dir,
                                              const ToolSession& session, LabelCache* cache) {
    if (provider != Provider::Claude || cache == nullptr) {
        return account_email(provider, dir, session);
    }
    // Stamped before asking: a file rewritten while the tool runs is asked about again next time.
    const auto stamp = file_stamp(dir / CLAUDE_CREDENTIALS_FILE);
    const auto now = session.clock->now();
    if (auto kept = cache->find(dir, stamp, now)) {
        return std::move(*kept);
    }
    auto label = claude_auth_email(dir, session);
    cache->store(dir, stamp, now, label);
    return label;
}

}  // namespace accounts

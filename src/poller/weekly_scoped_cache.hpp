#pragma once
// The last per-model bars seen for each Claude directory, so that a reading without them (the
// Messages fallback) still shows them. One map for the process behind its own lock, never pruned.

#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "poller/usage_model.hpp"

namespace poller {

class WeeklyScopedCache {
  public:
    void store(const std::filesystem::path& dir, const std::vector<ModelBar>& bars);
    [[nodiscard]] std::optional<std::vector<ModelBar>> lookup(const std::filesystem::path& dir) const;

  private:
    mutable std::mutex mutex_;
    std::map<std::filesystem::path, std::vector<ModelBar>> bars_;
};

[[nodiscard]] WeeklyScopedCache& weekly_scoped_cache();

}  // namespace poller

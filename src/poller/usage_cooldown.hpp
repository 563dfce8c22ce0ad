#pragma once
// The Claude usage endpoint answers 429 for long stretches, and asking during its cool-down
// prolongs it. A 429 with Retry-After makes later polls of that account skip the usage request
// until then and read the Messages headers instead.

#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string_view>

#include "platform/clock.hpp"

namespace poller {

// The longest cool-down we honour; a larger Retry-After is taken as this.
inline constexpr platform::FileTime MAX_COOLDOWN = 24ULL * 3600ULL * platform::FILETIME_TICKS_PER_SECOND;

// Retry-After as delay seconds or an HTTP date (IMF-fixdate), relative to `now`; nothing for
// text that is neither.
[[nodiscard]] std::optional<platform::FileTime> retry_after_instant(std::string_view value,
                                                                    platform::FileTime now);

class UsageCooldowns {
  public:
    void start(const std::filesystem::path& dir, platform::FileTime until);
    // The end of the directory's cool-down when it is still running at `now`.
    [[nodiscard]] std::optional<platform::FileTime> active(const std::filesystem::path& dir,
                                                           platform::FileTime now);

  private:
    std::mutex mutex_;
    std::map<std::filesystem::path, platform::FileTime> until_;
};

[[nodiscard]] UsageCooldowns& usage_cooldowns();

}  // namespace poller

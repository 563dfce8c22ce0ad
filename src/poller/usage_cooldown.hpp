#pragma once
// The Claude usage endpoint answers 429 for long stretches, and asking during its cool-down
// prolongs it. A 429 with Retry-After makes later polls of that account skip the usage request
// until then and read the Messages headers instead; a 429 without a usable wait (none, 0, negative
// or unreadable, which the endpoint sends for hours) backs off 5 minutes, doubling with each such
// 429 in a row up to an hour, until the endpoint answers again.

#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string_view>

#include "platform/clock.hpp"

namespace poller {

// The longest cool-down we honour; a larger Retry-After is taken as this.
inline constexpr platform::FileTime MAX_COOLDOWN = 24ULL * 3600ULL * platform::FILETIME_TICKS_PER_SECOND;
// The back-off after a 429 that names no usable wait: the first, and the most it doubles to.
inline constexpr platform::FileTime FIRST_BACKOFF = 5ULL * 60ULL * platform::FILETIME_TICKS_PER_SECOND;
inline constexpr platform::FileTime MAX_BACKOFF = 3600ULL * platform::FILETIME_TICKS_PER_SECOND;

// Retry-After as delay seconds or an HTTP date (IMF-fixdate), relative to `now`; nothing for
// text that is neither.
[[nodiscard]] std::optional<platform::FileTime> retry_after_instant(std::string_view value,
                                                                    platform::FileTime now);

class UsageCooldowns {
  public:
    void start(const std::filesystem::path& dir, platform::FileTime until);
    // A 429 without a usable wait: the next back-off of the directory's run of them, started at
    // `now`; its end.
    platform::FileTime back_off(const std::filesystem::path& dir, platform::FileTime now);
    // The endpoint answered: the next back-off starts from the first again.
    void answered(const std::filesystem::path& dir);
    // The end of the directory's cool-down when it is still running at `now`.
    [[nodiscard]] std::optional<platform::FileTime> active(const std::filesystem::path& dir,
                                                           platform::FileTime now);

  private:
    std::mutex mutex_;
    std::map<std::filesystem::path, platform::FileTime> until_;
    std::map<std::filesystem::path, platform::FileTime> last_backoff_;
};

[[nodiscard]] UsageCooldowns& usage_cooldowns();

}  // namespace poller

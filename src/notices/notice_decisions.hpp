#pragma once
// Which notices a fresh usage list calls for: one when a bar reaches the near-limit share, one when
// a window that had reached it resets, each at most once per window. A window is known by its
// account, its bar and its reset instant; the windows that reached the share are remembered (and
// kept across restarts by the caller), so a re-poll or a restart never repeats a notice.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/clock.hpp"
#include "poller/usage_model.hpp"

namespace notices {

// A reset instant that moves by less than this between readings is the same window.
inline constexpr platform::FileTime SAME_WINDOW_TOLERANCE = 10ULL * 60 * platform::FILETIME_TICKS_PER_SECOND;

// How long a window is remembered after its reset: longer than any window lasts, so a reading
// that still shows an old window late never counts as a new one.
inline constexpr platform::FileTime MEMORY_AFTER_RESET = 8ULL * 86400 * platform::FILETIME_TICKS_PER_SECOND;

// A reset noticed later than this after it happened is remembered without a notice.
inline constexpr platform::FileTime STALE_RESET = 3600ULL * platform::FILETIME_TICKS_PER_SECOND;

// The share a window must reach to count for a reset notice when near-limit notices are off.
inline constexpr double DEFAULT_REACHED_PERCENT = 90.0;

struct ReachedWindow {
    std::string account_id;
    std::string bar;  // "5h", "7d" or a model bar's label
    platform::FileTime resets_at = 0;
    bool reset_decided = false;  // the reset notice was shown, or was not wanted

    friend bool operator==(const ReachedWindow&, const ReachedWindow&) = default;
};

struct NoticeMemory {
    std::vector<ReachedWindow> windows;

    friend bool operator==(const NoticeMemory&, const NoticeMemory&) = default;
};

struct NoticeSwitches {
    std::uint8_t near_limit = 90;  // 0: no near-limit notices
    bool reset = true;
};

enum class NoticeKind { NearLimit, Reset };

struct Notice {
    NoticeKind kind = NoticeKind::NearLimit;
    std::string account_id;
    std::string label;  // the account's e-mail, else its id
    std::string bar;
    poller::UsageBar reading;  // the reading that reached the share; for a reset, the window that ended

    friend bool operator==(const Notice&, const Notice&) = default;
};

struct NoticeDecision {
    std::vector<Notice> notices;
    NoticeMemory memory;  // what to remember from now on
};

// The notices `usage` calls for at `now`, given what was remembered. Failed readings and bars
// without a reset instant call for none; an account missing from `usage` keeps its memory until
// its windows are long past, so removing and re-adding it repeats nothing.
[[nodiscard]] NoticeDecision decide_notices(const std::vector<poller::UsageSnapshot>& usage,
                                            const NoticeMemory& memory, NoticeSwitches switches,
                                            platform::FileTime now);

// "near-limit" / "reset", as the log prints it.
[[nodiscard]] std::string_view debug_name(NoticeKind kind) noexcept;

}  // namespace notices

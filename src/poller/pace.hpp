#pragma once
// Where a bar stands against an even use of its window: the share of the window that has passed,
// and when the limit runs out if use goes on at the rate so far.

#include <optional>

#include "platform/clock.hpp"
#include "poller/usage_model.hpp"

namespace poller {

inline constexpr platform::FileTime FIVE_HOUR_WINDOW = 5ULL * 3600 * platform::FILETIME_TICKS_PER_SECOND;
inline constexpr platform::FileTime SEVEN_DAY_WINDOW = 7ULL * 86400 * platform::FILETIME_TICKS_PER_SECOND;

struct Pace {
    double expected_percent = 0.0;                  // the elapsed part of the window, 0-100
    std::optional<platform::FileTime> runs_out_at;  // only for a bar ahead of pace, before its reset

    friend bool operator==(const Pace&, const Pace&) = default;
};

// The pace of a bar whose window lasts `window_length` (the weekly and per-model bars 7 days, the
// five-hour bar 5 hours; Codex windows sit in the bar their own length names). Nothing without a
// reset time or with a reset earlier than one window after the epoch. No run-out before any time
// has passed (no rate yet) nor at a full share (the limit is reached already), whole seconds.
[[nodiscard]] std::optional<Pace> pace_of(const UsageBar& bar, platform::FileTime window_length,
                                          platform::FileTime now);

// The bars of a reading with their window lengths: five-hour, seven-day, then each model bar.
[[nodiscard]] std::optional<Pace> five_hour_pace(const UsageData& usage, platform::FileTime now);
[[nodiscard]] std::optional<Pace> seven_day_pace(const UsageData& usage, platform::FileTime now);
[[nodiscard]] std::optional<Pace> model_pace(const ModelBar& model, platform::FileTime now);

// The earliest run-out of any bar of a reading, for the tray tooltip.
[[nodiscard]] std::optional<platform::FileTime> earliest_run_out(const UsageData& usage,
                                                                 platform::FileTime now);

}  // namespace poller

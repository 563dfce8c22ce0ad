#include "poller/pace.hpp"

#include <algorithm>
#include <cmath>

namespace poller {

using platform::FileTime;

std::optional<Pace> pace_of(const UsageBar& bar, FileTime window_length, FileTime now) {
    if (!bar.resets_at || window_length == 0 || *bar.resets_at < window_length) {
        return std::nullopt;
    }
    const FileTime reset = *bar.resets_at;
    const FileTime start = reset - window_length;
    const FileTime elapsed = now <= start ? 0 : std::min(now - start, window_length);
    Pace pace;
    pace.expected_percent = static_cast<double>(elapsed) * 100.0 / static_cast<double>(window_length);
    const bool ahead = bar.percent > pace.expected_percent && bar.percent < 100.0;
    if (ahead && elapsed > 0) {
        // The rate so far carries the share to 100 after elapsed * 100 / share.
        const double to_full = std::floor(static_cast<double>(elapsed) * 100.0 / bar.percent /
                                          static_cast<double>(platform::FILETIME_TICKS_PER_SECOND));
        const FileTime runs_out =
            start + static_cast<FileTime>(to_full) * platform::FILETIME_TICKS_PER_SECOND;
        if (runs_out < reset) {
            pace.runs_out_at = runs_out;
        }
    }
    return pace;
}

std::optional<Pace> five_hour_pace(const UsageData& usage, FileTime now) {
    return pace_of(usage.five_hour, FIVE_HOUR_WINDOW, now);
}

std::optional<Pace> seven_day_pace(const UsageData& usage, FileTime now) {
    return pace_of(usage.seven_day, SEVEN_DAY_WINDOW, now);
}

std::optional<Pace> model_pace(const ModelBar& model, FileTime now) {
    return pace_of(model.bar, SEVEN_DAY_WINDOW, now);
}

std::optional<FileTime> earliest_run_out(const UsageData& usage, FileTime now) {
    std::optional<FileTime> earliest;
    const auto consider = [&](const std::optional<Pace>& pace) {
        if (pace && pace->runs_out_at && (!earliest || *pace->runs_out_at < *earliest)) {
            earliest = pace->runs_out_at;
        }
    };
    consider(five_hour_pace(usage, now));
    consider(seven_day_pace(usage, now));
    for (const ModelBar& model : usage.model_bars) {
        consider(model_pace(model, now));
    }
    return earliest;
}

}  // namespace poller

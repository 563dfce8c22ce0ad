#pragma once
// What a usage fetch yields, and the per-account list a poll cycle publishes. Percentages are on
// the 0-100 scale exactly as the source gave them (never clamped); reset instants are UTC file
// times with whole-second resolution.

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "accounts/account.hpp"
#include "platform/clock.hpp"

namespace poller {

struct UsageBar {
    double percent = 0.0;                         // 0.0 when the source gives no value
    std::optional<platform::FileTime> resets_at;  // absent when the source gives none or unparsable text

    friend bool operator==(const UsageBar&, const UsageBar&) = default;
};

struct ModelBar {
    std::string label;  // a model's display name, or "7d-S" / "7d-O"
    UsageBar bar;

    friend bool operator==(const ModelBar&, const ModelBar&) = default;
};

struct UsageData {
    std::vector<ModelBar> model_bars;  // in the source's order; empty for Codex and Messages readings
    UsageBar five_hour;
    UsageBar seven_day;

    friend bool operator==(const UsageData&, const UsageData&) = default;
};

// Why a fetch gave no reading: a server answered 401 or 403, or anything else went wrong.
enum class FetchFailure { AuthRejected, Failed };

using FetchResult = std::variant<UsageData, FetchFailure>;

struct UsageSnapshot {
    std::string account_id;
    std::optional<std::string> label;  // e-mail found this cycle, else the stored one, else none
    std::optional<UsageData> usage;    // nothing: this cycle's fetch failed (the reason is not kept)
    accounts::Provider provider = accounts::Provider::Claude;

    friend bool operator==(const UsageSnapshot&, const UsageSnapshot&) = default;
};

using Clock = platform::FileTime (*)();

// True when some successful entry has a bar whose reset instant is present and not later than
// now (read afresh for each entry).
[[nodiscard]] bool any_reset_reached(const std::vector<UsageSnapshot>& usage,
                                     Clock now = platform::precise_now);

}  // namespace poller

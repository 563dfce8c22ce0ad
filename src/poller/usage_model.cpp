#include "poller/usage_model.hpp"

#include <algorithm>

namespace poller {
namespace {

bool reached(const UsageBar& bar, platform::FileTime now) {
    return bar.resets_at && *bar.resets_at <= now;
}

}  // namespace

bool any_reset_reached(const std::vector<UsageSnapshot>& usage, Clock now) {
    return std::any_of(usage.begin(), usage.end(), [now](const UsageSnapshot& entry) {
        if (!entry.usage) {
            return false;
        }
        const platform::FileTime at = now();
        const UsageData& data = *entry.usage;
        return reached(data.five_hour, at) || reached(data.seven_day, at) ||
               std::any_of(data.model_bars.begin(), data.model_bars.end(),
                           [at](const ModelBar& m) { return reached(m.bar, at); });
    });
}

}  // namespace poller

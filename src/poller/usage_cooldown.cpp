#include "poller/usage_cooldown.hpp"

#include <algorithm>
#include <array>

#include "poller/rate_limit_headers.hpp"
#include "poller/reset_timestamp.hpp"

namespace poller {
namespace {

// "Sun, 06 Nov 1994 08:49:37 GMT"
std::optional<platform::FileTime> parse_http_date(std::string_view text) {
    constexpr std::array<std::string_view, 12> MONTHS = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (text.size() != 29 || text.substr(3, 2) != ", " || text.substr(25) != " GMT" || text[7] != ' ' ||
        text[11] != ' ' || text[16] != ' ') {
        return std::nullopt;
    }
    const auto month = std::find(MONTHS.begin(), MONTHS.end(), text.substr(8, 3));
    if (month == MONTHS.end()) {
        return std::nullopt;
    }
    const int month_number = static_cast<int>(month - MONTHS.begin()) + 1;
    const std::string iso = std::string(text.substr(12, 4)) + "-" + (month_number < 10 ? "0" : "") +
                            std::to_string(month_number) + "-" + std::string(text.substr(5, 2)) + "T" +
                            std::string(text.substr(17, 8)) + "Z";
    return parse_reset_timestamp(iso);
}

}  // namespace

std::optional<platform::FileTime> retry_after_instant(std::string_view value, platform::FileTime now) {
    std::optional<platform::FileTime> until;
    if (const auto seconds = parse_header_integer(value)) {
        if (*seconds < 0) {
            return std::nullopt;
        }
        const auto delay = static_cast<platform::FileTime>(std::min<std::int64_t>(*seconds, 365LL * 86400));
        until = now + delay * platform::FILETIME_TICKS_PER_SECOND;
    } else {
        until = parse_http_date(value);
    }
    if (!until) {
        return std::nullopt;
    }
    return std::min(*until, now + MAX_COOLDOWN);
}

void UsageCooldowns::start(const std::filesystem::path& dir, platform::FileTime until) {
    std::lock_guard<std::mutex> held(mutex_);
    until_[dir] = until;
}

platform::FileTime UsageCooldowns::back_off(const std::filesystem::path& dir, platform::FileTime now) {
    std::lock_guard<std::mutex> held(mutex_);
    platform::FileTime& backoff = last_backoff_[dir];
    backoff = backoff == 0 ? FIRST_BACKOFF : std::min(backoff * 2, MAX_BACKOFF);
    until_[dir] = now + backoff;
    return now + backoff;
}

void UsageCooldowns::answered(const std::filesystem::path& dir) {
    std::lock_guard<std::mutex> held(mutex_);
    last_backoff_.erase(dir);
}

std::optional<platform::FileTime> UsageCooldowns::active(const std::filesystem::path& dir,
                                                         platform::FileTime now) {
    std::lock_guard<std::mutex> held(mutex_);
    const auto it = until_.find(dir);
    if (it == until_.end()) {
        return std::nullopt;
    }
    if (it->second <= now) {
        until_.erase(it);
        return std::nullopt;
    }
    return it->second;
}

UsageCooldowns& usage_cooldowns() {
    static UsageCooldowns* cooldowns = new UsageCooldowns();  // never destroyed: poll threads are detached
    return *cooldowns;
}

}  // namespace poller

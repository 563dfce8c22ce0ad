#include "demo_readings.hpp"

#include <fmt/format.h>

#include <cmath>
#include <nlohmann/json.hpp>

namespace demo {
namespace {

using nlohmann::json;

WindowReading window_at(std::int64_t now, std::int64_t phase, std::int64_t length, double start,
                        double peak) {
    const std::int64_t shifted = now + phase;
    const std::int64_t into = ((shifted % length) + length) % length;
    const double fraction = static_cast<double>(into) / static_cast<double>(length);
    // One decimal, as the services report it.
    const double percent = std::round((start + (peak - start) * fraction) * 10.0) / 10.0;
    return {percent, now - into + length};
}

// Days since 1970-01-01 to a civil date (Howard Hinnant's algorithm).
void civil_from_days(std::int64_t days, int& year, unsigned& month, unsigned& day) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto doe = static_cast<unsigned>(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = doy - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2 ? 1 : 0));
}

json bucket(const WindowReading& window) {
    return {{"utilization", window.percent}, {"resets_at", rfc3339(window.resets_at)}};
}

json codex_window(const WindowReading& window, std::int64_t length) {
    return {
        {"used_percent", window.percent}, {"reset_at", window.resets_at}, {"limit_window_seconds", length}};
}

}  // namespace

Reading reading_at(const UsageProfile& profile, std::int64_t unix_seconds) {
    return {window_at(unix_seconds, profile.phase_seconds, FIVE_HOURS, 0.0, profile.five_hour_peak),
            window_at(unix_seconds, profile.phase_seconds, SEVEN_DAYS, profile.seven_day_start,
                      profile.seven_day_peak)};
}

std::string rfc3339(std::int64_t unix_seconds) {
    const std::int64_t days = unix_seconds >= 0 ? unix_seconds / 86400 : (unix_seconds - 86399) / 86400;
    const std::int64_t rest = unix_seconds - days * 86400;
    int year = 0;
    unsigned month = 0;
    unsigned day = 0;
    civil_from_days(days, year, month, day);
    return fmt::format("{:04}-{:02}-{:02}T{:02}:{:02}:{:02}Z", year, month, day, rest / 3600, rest / 60 % 60,
                       rest % 60);
}

std::string claude_usage_body(const Reading& reading, bool models) {
    json body = {{"five_hour", bucket(reading.five_hour)}, {"seven_day", bucket(reading.seven_day)}};
    if (models) {
        // Opus takes a share of the week, Sonnet a smaller one; both reset with the week.
        json limits = json::array();
        for (const auto& [label, share] : {std::pair{"Opus", 0.55}, std::pair{"Sonnet", 0.3}}) {
            limits.push_back({{"kind", "weekly_scoped"},
                              {"percent", std::round(reading.seven_day.percent * share * 10.0) / 10.0},
                              {"resets_at", rfc3339(reading.seven_day.resets_at)},
                              {"scope", {{"model", {{"display_name", label}}}}}});
        }
        body["limits"] = limits;
    }
    return body.dump();
}

std::vector<std::pair<std::string, std::string>> messages_headers(const Reading& reading) {
    return {
        {"anthropic-ratelimit-unified-status", "allowed"},
        {"anthropic-ratelimit-unified-5h-utilization", fmt::format("{}", reading.five_hour.percent / 100.0)},
        {"anthropic-ratelimit-unified-5h-reset", std::to_string(reading.five_hour.resets_at)},
        {"anthropic-ratelimit-unified-7d-utilization", fmt::format("{}", reading.seven_day.percent / 100.0)},
        {"anthropic-ratelimit-unified-7d-reset", std::to_string(reading.seven_day.resets_at)}};
}

std::string codex_usage_body(const Reading& reading) {
    return json{{"rate_limit",
                 {{"primary_window", codex_window(reading.five_hour, FIVE_HOURS)},
                  {"secondary_window", codex_window(reading.seven_day, SEVEN_DAYS)}}}}
        .dump();
}

}  // namespace demo

#pragma once
// `status --line`: one short line for a shell prompt or a status bar, and the small file that
// keeps the last poll's readings so a prompt that redraws often does not poll each time.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "accounts/account.hpp"
#include "platform/clock.hpp"
#include "poller/usage_model.hpp"

namespace cli {

inline constexpr std::string_view STATUS_CACHE_FILE_NAME = "gaugelet-cli-status.json";

// One account as the last poll left it.
struct CachedReading {
    std::string id;
    accounts::Provider provider = accounts::Provider::Claude;
    std::filesystem::path dir;
    std::optional<std::string> label;
    std::optional<double> five_hour;  // both present when the account was read, both absent when not
    std::optional<double> seven_day;

    friend bool operator==(const CachedReading&, const CachedReading&) = default;
};

struct StatusCache {
    std::filesystem::path settings_path;  // the readings belong to this file's accounts
    std::string hosts;                    // read from these hosts ("<anthropic> <chatgpt>")
    std::int64_t polled_at_ms = 0;        // Unix milliseconds
    std::vector<CachedReading> readings;

    friend bool operator==(const StatusCache&, const StatusCache&) = default;
};

// The cache beside the log, in the temporary folder.
[[nodiscard]] std::filesystem::path status_cache_path();

// The readings of one poll over `accounts` (in the same order), at `now`.
[[nodiscard]] StatusCache cache_from_poll(const std::filesystem::path& settings_path, std::string hosts,
                                          const std::vector<accounts::Account>& accounts,
                                          const std::vector<poller::UsageSnapshot>& usage,
                                          platform::FileTime now);

// Compact JSON; nothing for a directory or path that is not valid text.
[[nodiscard]] std::optional<std::string> encode_status_cache(const StatusCache& cache);
// Nothing for anything but a file this program wrote.
[[nodiscard]] std::optional<StatusCache> decode_status_cache(std::string_view text);

// Whether the cache may answer for these accounts of this settings file and these hosts at
// `now`: the same accounts (id, provider, folder, in order) and a poll younger than `max_age_seconds`. A poll
// that lies in the future (the clock was set back) is not trusted.
[[nodiscard]] bool cache_answers(const StatusCache& cache, const std::filesystem::path& settings_path,
                                 std::string_view hosts, const std::vector<accounts::Account>& accounts,
                                 platform::FileTime now, std::uint32_t max_age_seconds);

// "dev 37%/62% · work 9%/41% · claude-2 ?": the e-mail's local part (else the label, else the id)
// and the rounded five-hour and seven-day percentages, "?" for an account that was not read;
// ends in a line feed.
[[nodiscard]] std::string status_line(const std::vector<CachedReading>& readings);

}  // namespace cli

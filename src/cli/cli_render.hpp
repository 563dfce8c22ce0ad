#pragma once
// What gaugelet-cli prints: the status as text blocks or as a JSON array, and a settings error
// as "file:line:column: rule".

#include <filesystem>
#include <string>
#include <vector>

#include "accounts/account.hpp"
#include "localization/feature_texts.hpp"
#include "localization/string_table.hpp"
#include "localization/value_format.hpp"
#include "platform/clock.hpp"
#include "poller/usage_model.hpp"
#include "settings/settings_load.hpp"

namespace cli {

// "2026-01-01T05:00:00Z": the instant in UTC to the second.
[[nodiscard]] std::string rfc3339_utc(platform::FileTime instant);

// An array, in account order, two-space indented, ending in a line feed. Instants only, no
// countdowns, so the same readings print the same text on every system. Every bar has a "pace":
// {"expected_percent", "runs_out_at"} at `now`, or null without a reset time.
[[nodiscard]] std::string status_json(const std::vector<poller::UsageSnapshot>& usage,
                                      platform::FileTime now);

// One block per account: the provider name and label, then one line per bar ("5h", "7d", model
// labels) with the value text and, for a bar ahead of pace, its run-out ("runs out 3:40pm"), or
// "(unavailable)" for an account that could not be read.
[[nodiscard]] std::string status_text(const std::vector<poller::UsageSnapshot>& usage,
                                      const localization::StringTable& strings,
                                      const localization::FeatureTexts& texts, platform::FileTime now,
                                      localization::LocalTimeConversion to_local = platform::to_local_time);

// One line per account, in list order: id, provider, e-mail (or "-") and folder in columns two
// blanks apart, each column as wide as its widest entry.
[[nodiscard]] std::string account_lines(const std::vector<accounts::Account>& list);

// "<file>:<line>:<column>: <rule>" (the position where the parser knows it), one line.
[[nodiscard]] std::string settings_error_text(const std::filesystem::path& file,
                                              const settings::SettingsError& error);

}  // namespace cli

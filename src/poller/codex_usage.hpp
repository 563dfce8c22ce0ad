#pragma once
// One Codex account's usage from the ChatGPT backend's usage endpoint: the primary and
// secondary windows become the five-hour and seven-day bars.

#include <optional>
#include <string>
#include <variant>

#include "poller/endpoints.hpp"
#include "poller/usage_model.hpp"
#include "strict_json/strict_json.hpp"

namespace poller {

// Window lengths that say which bar a window is, whatever its position in the answer.
inline constexpr std::int64_t FIVE_HOUR_WINDOW_SECONDS = 18000;
inline constexpr std::int64_t SEVEN_DAY_WINDOW_SECONDS = 604800;

[[nodiscard]] FetchResult fetch_codex_usage(const std::string& access_token,
                                            const std::optional<std::string>& account_id,
                                            const Endpoints& endpoints = {});

// The reading of a decoded answer body: nothing when it has no rate_limit; an error text (as
// the decoder words it) when the body does not have the expected shape.
[[nodiscard]] std::variant<std::optional<UsageData>, std::string> codex_usage_from_body(
    const strict_json::Json& body);

}  // namespace poller

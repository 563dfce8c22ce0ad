#pragma once
// Five-hour and seven-day usage from the rate-limit headers of a one-token Messages request,
// for when the OAuth usage endpoint cannot be used. The answer's body is never read, and no
// per-model bars can be had this way.

#include <string>

#include "poller/endpoints.hpp"
#include "poller/retired_models.hpp"
#include "poller/usage_model.hpp"

namespace poller {

// The two models tried, in order.
inline constexpr std::string_view MESSAGES_MODELS[] = {"claude-3-haiku-20240307",
                                                       "claude-haiku-4-5-20251001"};

// At most two requests on one client: the next model after a transport failure, an answer
// without rate-limit headers or one that names the model unknown (which is then retired);
// AuthRejected at once on 401 or 403. Retired models are not asked.
[[nodiscard]] FetchResult fetch_usage_from_messages(const std::string& access_token,
                                                    const Endpoints& endpoints = {},
                                                    RetiredModels& retired = retired_models());

// The reading a Messages answer's headers give; nothing when none of the key headers is there.
[[nodiscard]] std::optional<UsageData> usage_from_rate_limit_headers(const HttpResponse& answer);

}  // namespace poller

#pragma once
// The answer of the OAuth usage endpoint, decoded strictly, and the reading it gives.

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "poller/usage_model.hpp"
#include "strict_json/strict_json.hpp"

namespace poller {

struct UsageBucket {
    double utilization = 0.0;
    std::optional<std::string> resets_at;
};

struct LimitEntry {
    std::optional<std::string> kind;
    std::optional<double> percent;
    std::optional<std::string> resets_at;
    std::optional<std::string> model_display_name;  // scope.model.display_name, when all three are there
};

struct UsageResponse {
    std::optional<UsageBucket> five_hour;
    std::optional<UsageBucket> seven_day;
    std::optional<UsageBucket> seven_day_sonnet;
    std::optional<UsageBucket> seven_day_opus;
    std::optional<std::vector<LimitEntry>> limits;
};

// Fails (with the decoder's words) on a wrong type anywhere or a bucket without utilization.
[[nodiscard]] std::variant<UsageResponse, std::string> decode_usage_response(const strict_json::Json& body);

// The bars: model bars from "weekly_scoped" limit rows with a model name, else "7d-S" and "7d-O"
// from the Sonnet and Opus buckets.
[[nodiscard]] UsageData usage_from_response(const UsageResponse& response);

}  // namespace poller

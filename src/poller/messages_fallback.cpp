#include "poller/messages_fallback.hpp"

#include <fmt/format.h>

#include "diagnostics/log.hpp"
#include "poller/rate_limit_headers.hpp"

namespace poller {
namespace {

constexpr std::string_view FIVE_HOUR_UTILIZATION = "anthropic-ratelimit-unified-5h-utilization";
constexpr std::string_view SEVEN_DAY_UTILIZATION = "anthropic-ratelimit-unified-7d-utilization";
constexpr std::string_view STATUS = "anthropic-ratelimit-unified-status";
constexpr std::string_view FIVE_HOUR_RESET = "anthropic-ratelimit-unified-5h-reset";
constexpr std::string_view SEVEN_DAY_RESET = "anthropic-ratelimit-unified-7d-reset";
constexpr std::string_view GENERAL_RESET = "anthropic-ratelimit-unified-reset";
constexpr std::string_view REPRESENTATIVE_CLAIM = "anthropic-ratelimit-unified-representative-claim";

double utilization(const HttpResponse& answer, std::string_view name) {
    const auto text = answer.header(name);
    return text ? parse_header_float(*text).value_or(0.0) : 0.0;
}

// Unix seconds; negative, malformed or unrepresentably late values give no instant.
std::optional<platform::FileTime> reset_instant(const HttpResponse& answer, std::string_view name) {
    const auto text = answer.header(name);
    const auto seconds = text ? parse_header_integer(*text) : std::nullopt;
    if (!seconds || *seconds < 0) {
        return std::nullopt;
    }
    return platform::file_time_if_representable(*seconds);
}

HttpRequest messages_request(const Endpoints& endpoints, const std::string& access_token,
                             std::string_view model) {
    HttpRequest request;
    request.method = "POST";
    request.url = endpoints.anthropic + "/v1/messages";
    request.headers = {
        {"Authorization", "Bearer " + access_token},
        {"anthropic-version", "2023-06-01"},
        {"anthropic-beta", "oauth-2025-04-20"},
    };
    // nlohmann keeps object keys sorted, which is the order the request is written in.
    request.json_body = Json{
        {"max_tokens", 1},
        {"messages", Json::array({Json{{"content", "."}, {"role", "user"}}})},
        {"model", std::string(model)},
    };
    return request;
}

}  // namespace

std::optional<UsageData> usage_from_rate_limit_headers(const HttpResponse& answer) {
    if (!answer.header(FIVE_HOUR_UTILIZATION) && !answer.header(SEVEN_DAY_UTILIZATION) &&
        !answer.header(STATUS)) {
        return std::nullopt;
    }
    UsageData usage;
    usage.five_hour =
        UsageBar{utilization(answer, FIVE_HOUR_UTILIZATION) * 100.0, reset_instant(answer, FIVE_HOUR_RESET)};
    usage.seven_day =
        UsageBar{utilization(answer, SEVEN_DAY_UTILIZATION) * 100.0, reset_instant(answer, SEVEN_DAY_RESET)};
    // An exhausted limit can come with both utilizations at zero: the claim names the window.
    if (usage.five_hour.percent == 0.0 && usage.seven_day.percent == 0.0) {
        const auto claim = answer.header(REPRESENTATIVE_CLAIM);
        if (answer.header(STATUS) == "rejected" && claim) {
            if (*claim == "five_hour") {
                usage.five_hour.percent = 100.0;
            } else if (*claim == "seven_day") {
                usage.seven_day.percent = 100.0;
            }
        }
        if (!usage.five_hour.resets_at) {
            usage.five_hour.resets_at = reset_instant(answer, GENERAL_RESET);
        }
    }
    return usage;
}

FetchResult fetch_usage_from_messages(const std::string& access_token, const Endpoints& endpoints,
                                      RetiredModels& retired) {
    auto client = make_http_client(endpoints.http);
    if (!client) {
        return FetchFailure::Failed;
    }
    for (const std::string_view model : MESSAGES_MODELS) {
        if (retired.contains(model)) {
            continue;
        }
        const HttpResult result = client->send(messages_request(endpoints, access_token, model));
        const HttpResponse* answer = answer_of(result);
        if (answer == nullptr) {
            continue;  // transport failure: the other model may still get through
        }
        if (answer->status == 401 || answer->status == 403) {
            diagnostics::log_owned(fmt::format(
                "messages endpoint returned auth error status {}; re-login required", answer->status));
            return FetchFailure::AuthRejected;
        }
        if (names_unknown_model(*answer)) {
            retired.add(model);
            diagnostics::log_owned(
                fmt::format("messages endpoint does not know model {} (status {}); not asking it again",
                            model, answer->status));
            continue;
        }
        if (auto usage = usage_from_rate_limit_headers(*answer)) {
            return std::move(*usage);
        }
    }
    return FetchFailure::Failed;
}

}  // namespace poller

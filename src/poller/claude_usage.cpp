#include "poller/claude_usage.hpp"

#include <fmt/format.h>

#include "diagnostics/log.hpp"
#include "poller/claude_usage_response.hpp"
#include "poller/messages_fallback.hpp"
#include "poller/redaction.hpp"
#include "text/path_text.hpp"

namespace poller {
namespace {

HttpRequest usage_request(const Endpoints& endpoints, const std::string& token) {
    HttpRequest request;
    request.url = endpoints.anthropic + "/api/oauth/usage";
    request.headers = {{"Authorization", "Bearer " + token}, {"anthropic-beta", "oauth-2025-04-20"}};
    return request;
}

std::string labels_of(const std::vector<ModelBar>& bars) {
    std::string joined;
    for (const ModelBar& bar : bars) {
        if (!joined.empty()) {
            joined += ", ";
        }
        joined += bar.label;
    }
    return joined;
}

// A usable Retry-After is kept as it is; without one the endpoint is left alone for a growing while.
void cool_down(const std::filesystem::path& dir, const HttpResponse& answer,
               const ClaudeFetchContext& context) {
    const platform::FileTime now = context.now();
    const auto retry_after = answer.header("Retry-After");
    const auto until = retry_after ? retry_after_instant(*retry_after, now) : std::nullopt;
    if (until && *until > now) {
        context.cooldowns->start(dir, *until);
        return;
    }
    const platform::FileTime backoff_end = context.cooldowns->back_off(dir, now);
    diagnostics::log_owned(
        fmt::format("usage endpoint 429 without a usable Retry-After; not asking it for {} s",
                    (backoff_end - now) / platform::FILETIME_TICKS_PER_SECOND));
}

// What the usage request gave: a reading, a rejection of the token, or a reason to fall back.
enum class Outcome { Reading, AuthRejected, FallBack };

Outcome ask_usage_endpoint(const std::filesystem::path& dir, const std::string& token,
                           const ClaudeFetchContext& context, HttpClient& client, UsageData& reading) {
    const HttpResult result = client.send(usage_request(context.endpoints, token));
    if (std::holds_alternative<TransportError>(result)) {
        diagnostics::log_owned(
            fmt::format("usage endpoint transport error: {}; falling back to Messages API (model bars lost)",
                        server_text_for_log(error_text(result), token)));
        return Outcome::FallBack;
    }
    const HttpResponse& answer = *answer_of(result);
    if (answer.status == 401 || answer.status == 403) {
        diagnostics::log_owned(
            fmt::format("usage endpoint returned auth error status {}; re-login required", answer.status));
        return Outcome::AuthRejected;
    }
    if (std::holds_alternative<HttpStatusError>(result)) {
        if (answer.status == 429) {
            cool_down(dir, answer, context);
        }
        diagnostics::log_owned(fmt::format(
            "usage endpoint status {}; falling back to Messages API (model bars lost)", answer.status));
        return Outcome::FallBack;
    }
    auto document = answer.read_json();
    const auto* json = std::get_if<Json>(&document);
    auto decoded =
        json != nullptr ? decode_usage_response(*json) : std::variant<UsageResponse, std::string>("");
    if (json == nullptr || std::holds_alternative<std::string>(decoded)) {
        diagnostics::log_line("usage endpoint returned non-JSON; falling back to Messages API");
        return Outcome::FallBack;
    }
    context.cooldowns->answered(dir);
    reading = usage_from_response(std::get<UsageResponse>(decoded));
    diagnostics::log_owned(fmt::format("usage endpoint ok: {} weekly_scoped [{}]", reading.model_bars.size(),
                                       server_text_for_log(labels_of(reading.model_bars), token)));
    return Outcome::Reading;
}

// A bar without a reset time and at 0 % is a window that has not started: any Messages request
// would start it on the user's account, so only a running window is asked about.
bool running_without_reset(const UsageBar& bar) {
    return !bar.resets_at && bar.percent > 0.0;
}

// One Messages reading supplies the reset instants the usage answer lacked; nothing else of it is kept.
void fill_missing_resets(UsageData& reading, const std::string& token, const ClaudeFetchContext& context) {
    const bool five_hour = running_without_reset(reading.five_hour);
    const bool seven_day = running_without_reset(reading.seven_day);
    if (!five_hour && !seven_day) {
        return;
    }
    const FetchResult messages = fetch_usage_from_messages(token, context.endpoints, *context.retired_models);
    if (const auto* extra = std::get_if<UsageData>(&messages)) {
        if (five_hour) {
            reading.five_hour.resets_at = extra->five_hour.resets_at;
        }
        if (seven_day) {
            reading.seven_day.resets_at = extra->seven_day.resets_at;
        }
    }
}

}  // namespace

std::string short_dir_name(const std::filesystem::path& dir) {
    const std::filesystem::path name = dir.filename().empty() ? dir.parent_path().filename() : dir.filename();
    const auto text = text::path_to_utf8(name);
    return text && !text->empty() ? *text : "?";
}

FetchResult fetch_claude_usage(const std::filesystem::path& dir, const ClaudeFetchContext& context) {
    const std::string name = short_dir_name(dir);
    diagnostics::log_owned(fmt::format("poll claude account dir={}", name));
    const std::optional<std::string> token = context.token ? context.token(dir) : std::nullopt;
    if (!token) {
        return FetchFailure::Failed;
    }
    UsageData reading;
    Outcome outcome = Outcome::FallBack;
    const platform::FileTime now = context.now();
    if (const auto until = context.cooldowns->active(dir, now)) {
        // The usage endpoint is not asked, so no client is built for it; the fallback builds its own.
        diagnostics::log_owned(
            fmt::format("usage endpoint cooling down after 429 for {} more second(s); using Messages API",
                        (*until - now) / platform::FILETIME_TICKS_PER_SECOND));
    } else {
        auto client = make_http_client(context.endpoints.http);
        if (!client) {
            return FetchFailure::Failed;
        }
        outcome = ask_usage_endpoint(dir, *token, context, *client, reading);
    }

    if (outcome == Outcome::AuthRejected) {
        return FetchFailure::AuthRejected;
    }
    if (outcome == Outcome::Reading) {
        fill_missing_resets(reading, *token, context);
    } else {
        FetchResult fallback = fetch_usage_from_messages(*token, context.endpoints, *context.retired_models);
        if (const auto* failure = std::get_if<FetchFailure>(&fallback)) {
            diagnostics::log_line("usage endpoint and Messages API fallback both failed");
            return *failure;
        }
        reading = std::move(std::get<UsageData>(fallback));
    }

    if (!reading.model_bars.empty()) {
        context.cache->store(dir, reading.model_bars);
    } else if (auto cached = context.cache->lookup(dir)) {
        reading.model_bars = std::move(*cached);
        diagnostics::log_owned(
            fmt::format("reusing {} cached weekly_scoped bar(s) for {}", reading.model_bars.size(), name));
    }
    return reading;
}

}  // namespace poller

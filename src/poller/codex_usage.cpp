#include "poller/codex_usage.hpp"

#include <fmt/format.h>

#include <array>

#include "diagnostics/log.hpp"
#include "poller/json_members.hpp"
#include "poller/redaction.hpp"

namespace poller {
namespace {

using strict_json::Json;
using Members = std::vector<const Json*>;

struct Window {
    UsageBar bar;
    std::optional<std::int64_t> limit_window_seconds;
};

std::variant<std::optional<Window>, std::string> window_of(const Json* value) {
    if (value == nullptr) {
        return std::optional<Window>();
    }
    auto members = record_members(*value, {"used_percent", "reset_at", "limit_window_seconds"},
                                  "struct CodexRateLimitWindow");
    if (auto* error = std::get_if<std::string>(&members)) {
        return *error;
    }
    const Members& m = std::get<Members>(members);
    if (m[0] == nullptr) {
        return std::string("missing field `used_percent`");
    }
    if (m[1] == nullptr) {
        return std::string("missing field `reset_at`");
    }
    if (!m[0]->is_number()) {
        return fmt::format("invalid type: {}, expected f64", m[0]->type_name());
    }
    const auto reset_at = strict_json::as_i64(*m[1]);
    if (!reset_at) {
        return fmt::format("invalid type: {}, expected i64",
                           m[1]->is_number_float() ? "floating point" : m[1]->type_name());
    }
    Window window;
    window.bar.percent = m[0]->get<double>();
    // A negative time, or one too far out to be an instant, counts as no reset time.
    if (*reset_at >= 0) {
        window.bar.resets_at = platform::file_time_if_representable(*reset_at);
    }
    // The length is only a hint; a value of another type is no hint.
    if (m[2] != nullptr) {
        window.limit_window_seconds = strict_json::as_i64(*m[2]);
    }
    return std::optional<Window>(window);
}

// 0 for the five-hour bar, 1 for the seven-day bar, by the window's own length where it gives one.
std::optional<int> slot_by_length(const std::optional<Window>& window) {
    if (!window || !window->limit_window_seconds) {
        return std::nullopt;
    }
    if (*window->limit_window_seconds == FIVE_HOUR_WINDOW_SECONDS) {
        return 0;
    }
    if (*window->limit_window_seconds == SEVEN_DAY_WINDOW_SECONDS) {
        return 1;
    }
    return std::nullopt;
}

// The bar each window is shown as (index 0 five-hour, 1 seven-day), or nothing. A window whose
// length names a bar takes it; two windows naming the same bar leave both to their position. A
// window without a length takes its position, or the bar the other left free. A window of any
// other length (a one-hour limit, say) takes its position or nothing: it is never shown as the
// other bar.
std::array<std::optional<int>, 2> slots_of(const std::optional<Window> (&windows)[2]) {
    const std::optional<int> by_length[2] = {slot_by_length(windows[0]), slot_by_length(windows[1])};
    if (by_length[0] && by_length[1] && *by_length[0] == *by_length[1]) {
        return {0, 1};
    }
    std::array<std::optional<int>, 2> slots = {by_length[0], by_length[1]};
    for (int i = 0; i < 2; ++i) {
        if (slots[i]) {
            continue;
        }
        const int other = 1 - i;
        if (slots[other] != i) {
            slots[i] = i;
        } else if (!windows[i] || !windows[i]->limit_window_seconds) {
            slots[i] = other;
        }
    }
    return slots;
}

}  // namespace

std::variant<std::optional<UsageData>, std::string> codex_usage_from_body(const Json& body) {
    auto top = record_members(body, {"rate_limit"}, "struct CodexUsageResponse");
    if (auto* error = std::get_if<std::string>(&top)) {
        return *error;
    }
    const Json* rate_limit = std::get<Members>(top)[0];
    if (rate_limit == nullptr) {
        return std::optional<UsageData>();
    }
    auto details =
        record_members(*rate_limit, {"primary_window", "secondary_window"}, "struct CodexRateLimitDetails");
    if (auto* error = std::get_if<std::string>(&details)) {
        return *error;
    }
    std::optional<Window> windows[2];
    for (std::size_t i = 0; i < 2; ++i) {
        auto decoded = window_of(std::get<Members>(details)[i]);
        if (auto* error = std::get_if<std::string>(&decoded)) {
            return *error;
        }
        windows[i] = std::get<std::optional<Window>>(decoded);
    }
    const auto slots = slots_of(windows);
    UsageData usage;
    UsageBar* bars[2] = {&usage.five_hour, &usage.seven_day};
    for (std::size_t i = 0; i < 2; ++i) {
        if (windows[i] && slots[i]) {
            *bars[*slots[i]] = windows[i]->bar;
        }
    }
    return std::optional<UsageData>(std::move(usage));
}

FetchResult fetch_codex_usage(const std::string& access_token, const std::optional<std::string>& account_id,
                              const Endpoints& endpoints) {
    auto client = make_http_client(endpoints.http);
    if (!client) {
        return FetchFailure::Failed;
    }
    HttpRequest request;
    request.url = endpoints.chatgpt + "/backend-api/wham/usage";
    request.headers = {{"Authorization", "Bearer " + access_token}, {"User-Agent", "codex-cli"}};
    if (account_id && !account_id->empty()) {
        request.headers.push_back({"ChatGPT-Account-Id", *account_id});
    }
    const HttpResult result = client->send(request);
    const HttpResponse* answer = answer_of(result);
    if (answer != nullptr && (answer->status == 401 || answer->status == 403)) {
        diagnostics::log_owned(fmt::format(
            "Codex usage endpoint returned auth error status {}; refresh required", answer->status));
        return FetchFailure::AuthRejected;
    }
    if (!std::holds_alternative<HttpResponse>(result)) {
        diagnostics::log_owned(fmt::format("Codex usage endpoint request failed: {}",
                                           server_text_for_log(error_text(result), access_token)));
        return FetchFailure::Failed;
    }
    auto document = answer->read_json();
    std::variant<std::optional<UsageData>, std::string> reading = std::string();
    if (auto* json = std::get_if<Json>(&document)) {
        reading = codex_usage_from_body(*json);
        if (auto* shape_error = std::get_if<std::string>(&reading)) {
            reading = HttpResponse::json_error_text(*shape_error);
        }
    } else {
        reading = std::get<std::string>(document);
    }
    if (auto* error = std::get_if<std::string>(&reading)) {
        diagnostics::log_owned(fmt::format("unable to parse Codex usage response: {}",
                                           server_text_for_log(*error, access_token)));
        return FetchFailure::Failed;
    }
    auto& usage = std::get<std::optional<UsageData>>(reading);
    if (!usage) {
        return FetchFailure::Failed;
    }
    return std::move(*usage);
}

}  // namespace poller

#include "poller/claude_usage_response.hpp"

#include <fmt/format.h>

#include "poller/json_members.hpp"
#include "poller/reset_timestamp.hpp"

namespace poller {
namespace {

using strict_json::Json;
using Members = std::vector<const Json*>;

// A decoding step that may fail with the decoder's message.
template <typename T>
using Decoded = std::variant<T, std::string>;

Decoded<std::optional<std::string>> optional_string(const Json* value, std::string_view field) {
    if (value == nullptr) {
        return std::optional<std::string>();
    }
    if (!value->is_string()) {
        return fmt::format("invalid type: {}, expected a string for `{}`", value->type_name(), field);
    }
    return std::optional<std::string>(value->get<std::string>());
}

Decoded<std::optional<double>> optional_number(const Json* value, std::string_view field) {
    if (value == nullptr) {
        return std::optional<double>();
    }
    if (!value->is_number()) {
        return fmt::format("invalid type: {}, expected a number for `{}`", value->type_name(), field);
    }
    return std::optional<double>(value->get<double>());
}

Decoded<std::optional<UsageBucket>> bucket(const Json* value, std::string_view name) {
    if (value == nullptr) {
        return std::optional<UsageBucket>();
    }
    auto members = record_members(*value, {"utilization", "resets_at"}, "struct UsageBucket");
    if (auto* error = std::get_if<std::string>(&members)) {
        return *error;
    }
    const Members& m = std::get<Members>(members);
    if (m[0] == nullptr) {
        return fmt::format("missing field `utilization` in `{}`", name);
    }
    auto utilization = optional_number(m[0], "utilization");
    auto resets_at = optional_string(m[1], "resets_at");
    if (auto* error = std::get_if<std::string>(&utilization)) {
        return *error;
    }
    if (auto* error = std::get_if<std::string>(&resets_at)) {
        return *error;
    }
    return std::optional<UsageBucket>(UsageBucket{*std::get<std::optional<double>>(utilization),
                                                  std::get<std::optional<std::string>>(resets_at)});
}

// scope.model.display_name, each level optional.
Decoded<std::optional<std::string>> display_name(const Json* scope) {
    if (scope == nullptr) {
        return std::optional<std::string>();
    }
    auto scope_members = record_members(*scope, {"model"}, "struct LimitScope");
    if (auto* error = std::get_if<std::string>(&scope_members)) {
        return *error;
    }
    const Json* model = std::get<Members>(scope_members)[0];
    if (model == nullptr) {
        return std::optional<std::string>();
    }
    auto model_members = record_members(*model, {"display_name"}, "struct LimitModel");
    if (auto* error = std::get_if<std::string>(&model_members)) {
        return *error;
    }
    return optional_string(std::get<Members>(model_members)[0], "display_name");
}

Decoded<LimitEntry> limit_entry(const Json& value) {
    auto members = record_members(value, {"kind", "percent", "resets_at", "scope"}, "struct LimitEntry");
    if (auto* error = std::get_if<std::string>(&members)) {
        return *error;
    }
    const Members& m = std::get<Members>(members);
    auto kind = optional_string(m[0], "kind");
    auto percent = optional_number(m[1], "percent");
    auto resets_at = optional_string(m[2], "resets_at");
    auto name = display_name(m[3]);
    for (const std::string* error : {std::get_if<std::string>(&kind), std::get_if<std::string>(&percent),
                                     std::get_if<std::string>(&resets_at), std::get_if<std::string>(&name)}) {
        if (error != nullptr) {
            return *error;
        }
    }
    return LimitEntry{std::get<std::optional<std::string>>(kind), std::get<std::optional<double>>(percent),
                      std::get<std::optional<std::string>>(resets_at),
                      std::get<std::optional<std::string>>(name)};
}

UsageBar bar_of(const std::optional<UsageBucket>& b) {
    if (!b) {
        return UsageBar{};
    }
    return UsageBar{b->utilization, parse_reset_timestamp(b->resets_at)};
}

}  // namespace

std::variant<UsageResponse, std::string> decode_usage_response(const Json& body) {
    auto members =
        record_members(body, {"five_hour", "seven_day", "seven_day_sonnet", "seven_day_opus", "limits"},
                       "struct UsageResponse");
    if (auto* error = std::get_if<std::string>(&members)) {
        return *error;
    }
    const Members& m = std::get<Members>(members);
    UsageResponse response;
    std::optional<UsageBucket>* buckets[] = {&response.five_hour, &response.seven_day,
                                             &response.seven_day_sonnet, &response.seven_day_opus};
    constexpr std::string_view BUCKET_NAMES[] = {"five_hour", "seven_day", "seven_day_sonnet",
                                                 "seven_day_opus"};
    for (std::size_t i = 0; i < 4; ++i) {
        auto decoded = bucket(m[i], BUCKET_NAMES[i]);
        if (auto* error = std::get_if<std::string>(&decoded)) {
            return *error;
        }
        *buckets[i] = std::get<std::optional<UsageBucket>>(decoded);
    }
    if (m[4] != nullptr) {
        if (!m[4]->is_array()) {
            return fmt::format("invalid type: {}, expected a sequence for `limits`", m[4]->type_name());
        }
        std::vector<LimitEntry> limits;
        for (const Json& row : *m[4]) {
            auto entry = limit_entry(row);
            if (auto* error = std::get_if<std::string>(&entry)) {
                return *error;
            }
            limits.push_back(std::move(std::get<LimitEntry>(entry)));
        }
        response.limits = std::move(limits);
    }
    return response;
}

UsageData usage_from_response(const UsageResponse& response) {
    UsageData usage;
    usage.five_hour = bar_of(response.five_hour);
    usage.seven_day = bar_of(response.seven_day);
    if (response.limits) {
        for (const LimitEntry& row : *response.limits) {
            if (row.kind == "weekly_scoped" && row.model_display_name) {
                usage.model_bars.push_back(
                    ModelBar{*row.model_display_name,
                             UsageBar{row.percent.value_or(0.0), parse_reset_timestamp(row.resets_at)}});
            }
        }
    }
    if (usage.model_bars.empty()) {
        if (response.seven_day_sonnet) {
            usage.model_bars.push_back(ModelBar{"7d-S", bar_of(response.seven_day_sonnet)});
        }
        if (response.seven_day_opus) {
            usage.model_bars.push_back(ModelBar{"7d-O", bar_of(response.seven_day_opus)});
        }
    }
    return usage;
}

}  // namespace poller

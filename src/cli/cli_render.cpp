#include "cli/cli_render.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cstdint>
#include <nlohmann/json.hpp>

#include "localization/feature_texts.hpp"
#include "poller/pace.hpp"
#include "settings/settings_load.hpp"
#include "text/path_text.hpp"

namespace cli {
namespace {

using nlohmann::ordered_json;

// Days since 1970-01-01 to a proleptic Gregorian date (Howard Hinnant's civil_from_days).
struct Date {
    std::int64_t year;
    unsigned month;
    unsigned day;
};
Date civil_from_days(std::int64_t days) {
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned day = doy - (153 * mp + 2) / 5 + 1;
    const unsigned month = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

ordered_json pace_json(const std::optional<poller::Pace>& pace) {
    if (!pace) {
        return nullptr;
    }
    ordered_json out = ordered_json::object();
    out["expected_percent"] = pace->expected_percent;
    out["runs_out_at"] =
        pace->runs_out_at ? ordered_json(rfc3339_utc(*pace->runs_out_at)) : ordered_json(nullptr);
    return out;
}

ordered_json bar_json(const poller::UsageBar& bar, const std::optional<poller::Pace>& pace) {
    ordered_json out = ordered_json::object();
    out["percent"] = bar.percent;
    out["resets_at"] = bar.resets_at ? ordered_json(rfc3339_utc(*bar.resets_at)) : ordered_json(nullptr);
    out["pace"] = pace_json(pace);
    return out;
}

// Columns a label takes in a terminal, counted as code points (model names are short and Latin).
std::size_t width_of(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

}  // namespace

std::string rfc3339_utc(platform::FileTime instant) {
    const auto ticks = static_cast<std::int64_t>(instant / platform::FILETIME_TICKS_PER_SECOND);
    const std::int64_t seconds = ticks - static_cast<std::int64_t>(platform::FILETIME_UNIX_EPOCH /
                                                                   platform::FILETIME_TICKS_PER_SECOND);
    std::int64_t days = seconds / 86400;
    std::int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    const Date date = civil_from_days(days);
    return fmt::format("{:04}-{:02}-{:02}T{:02}:{:02}:{:02}Z", date.year, date.month, date.day, rest / 3600,
                       rest % 3600 / 60, rest % 60);
}

std::string status_json(const std::vector<poller::UsageSnapshot>& usage, platform::FileTime now) {
    ordered_json accounts = ordered_json::array();
    for (const auto& entry : usage) {
        ordered_json account = ordered_json::object();
        account["account_id"] = entry.account_id;
        account["provider"] = accounts::provider_json_name(entry.provider);
        account["label"] = entry.label ? ordered_json(*entry.label) : ordered_json(nullptr);
        account["ok"] = entry.usage.has_value();
        account["five_hour"] =
            entry.usage ? bar_json(entry.usage->five_hour, poller::five_hour_pace(*entry.usage, now))
                        : nullptr;
        account["seven_day"] =
            entry.usage ? bar_json(entry.usage->seven_day, poller::seven_day_pace(*entry.usage, now))
                        : nullptr;
        ordered_json models = ordered_json::array();
        if (entry.usage) {
            for (const auto& model : entry.usage->model_bars) {
                ordered_json bar = ordered_json::object();
                bar["label"] = model.label;
                bar["percent"] = model.bar.percent;
                bar["resets_at"] = model.bar.resets_at ? ordered_json(rfc3339_utc(*model.bar.resets_at))
                                                       : ordered_json(nullptr);
                bar["pace"] = pace_json(poller::model_pace(model, now));
                models.push_back(std::move(bar));
            }
        }
        account["model_bars"] = std::move(models);
        accounts.push_back(std::move(account));
    }
    // Labels come from files and tools; text that is not UTF-8 is shown replaced, never refused.
    return accounts.dump(2, ' ', false, ordered_json::error_handler_t::replace) + "\n";
}

std::string status_text(const std::vector<poller::UsageSnapshot>& usage,
                        const localization::StringTable& strings, const localization::FeatureTexts& texts,
                        platform::FileTime now, localization::LocalTimeConversion to_local) {
    std::string out;
    for (const auto& entry : usage) {
        const std::string_view provider = entry.provider == accounts::Provider::Claude
                                              ? strings.provider_claude_code
                                              : strings.provider_codex;
        out += fmt::format("{} \xC2\xB7 {}\n", provider, entry.label.value_or(entry.account_id));
        if (!entry.usage) {
            out += "  (unavailable)\n";
            continue;
        }
        struct Row {
            std::string_view label;
            const poller::UsageBar* bar;
            std::optional<poller::Pace> pace;
        };
        std::vector<Row> rows = {{"5h", &entry.usage->five_hour, poller::five_hour_pace(*entry.usage, now)},
                                 {"7d", &entry.usage->seven_day, poller::seven_day_pace(*entry.usage, now)}};
        for (const auto& model : entry.usage->model_bars) {
            rows.push_back({model.label, &model.bar, poller::model_pace(model, now)});
        }
        std::size_t width = 0;
        for (const auto& row : rows) {
            width = std::max(width, width_of(row.label));
        }
        for (const auto& row : rows) {
            const std::string value = localization::with_run_out(
                localization::format_usage_value(*row.bar, strings, now, to_local), " \u00B7 ",
                row.pace ? row.pace->runs_out_at : std::nullopt, now, texts, to_local);
            out +=
                fmt::format("  {}{}  {}\n", row.label, std::string(width - width_of(row.label), ' '), value);
        }
    }
    return out;
}

std::string account_lines(const std::vector<accounts::Account>& list) {
    struct Row {
        std::string_view id;
        std::string_view provider;
        std::string_view email;
        std::string dir;
    };
    std::vector<Row> rows;
    std::size_t id_width = 0;
    std::size_t provider_width = 0;
    std::size_t email_width = 0;
    for (const auto& account : list) {
        Row row{account.id, accounts::provider_json_name(account.provider),
                account.email ? std::string_view(*account.email) : std::string_view("-"),
                text::path_to_utf8(account.dir).value_or("?")};
        id_width = std::max(id_width, width_of(row.id));
        provider_width = std::max(provider_width, width_of(row.provider));
        email_width = std::max(email_width, width_of(row.email));
        rows.push_back(std::move(row));
    }
    std::string out;
    const auto padded = [](std::string_view text, std::size_t width) {
        return std::string(text) + std::string(width - width_of(text), ' ');
    };
    for (const auto& row : rows) {
        out += fmt::format("{}  {}  {}  {}\n", padded(row.id, id_width), padded(row.provider, provider_width),
                           padded(row.email, email_width), row.dir);
    }
    return out;
}

std::string settings_error_text(const std::filesystem::path& file, const settings::SettingsError& error) {
    return settings::describe_settings_error(file, error);
}

}  // namespace cli

#include "cli/cli_status_line.hpp"

#include <fmt/format.h>

#include <nlohmann/json.hpp>

#include "diagnostics/log.hpp"
#include "localization/value_format.hpp"
#include "text/path_text.hpp"

namespace cli {
namespace {

using nlohmann::json;

json percent_json(const std::optional<double>& percent) {
    return percent ? json(*percent) : json(nullptr);
}

std::optional<std::optional<double>> percent_from(const json& value) {
    if (value.is_null()) {
        return std::optional<double>();
    }
    if (!value.is_number()) {
        return std::nullopt;
    }
    return std::optional<double>(value.get<double>());
}

std::optional<CachedReading> reading_from(const json& value) {
    if (!value.is_object()) {
        return std::nullopt;
    }
    const auto id = value.find("id");
    const auto provider = value.find("provider");
    const auto dir = value.find("dir");
    const auto label = value.find("label");
    const auto five = value.find("five_hour");
    const auto seven = value.find("seven_day");
    if (id == value.end() || !id->is_string() || provider == value.end() || !provider->is_string() ||
        dir == value.end() || !dir->is_string() || label == value.end() ||
        !(label->is_string() || label->is_null()) || five == value.end() || seven == value.end()) {
        return std::nullopt;
    }
    const auto kind = accounts::provider_from_json_name(provider->get<std::string>());
    auto path = text::path_from_utf8(dir->get<std::string>());
    const auto five_hour = percent_from(*five);
    const auto seven_day = percent_from(*seven);
    if (!kind || !path || !five_hour || !seven_day || five_hour->has_value() != seven_day->has_value()) {
        return std::nullopt;
    }
    CachedReading reading{id->get<std::string>(), *kind,      std::move(*path),
                          std::nullopt,           *five_hour, *seven_day};
    if (label->is_string()) {
        reading.label = label->get<std::string>();
    }
    return reading;
}

// The part of an address before its last "@"; a label that is no address stands as it is.
std::string_view local_part(std::string_view label) {
    const auto at = label.rfind('@');
    return at == std::string_view::npos || at == 0 ? label : label.substr(0, at);
}

}  // namespace

std::filesystem::path status_cache_path() {
    return diagnostics::log_path().parent_path() / text::path_from_utf8(STATUS_CACHE_FILE_NAME).value();
}

StatusCache cache_from_poll(const std::filesystem::path& settings_path, std::string hosts,
                            const std::vector<accounts::Account>& accounts,
                            const std::vector<poller::UsageSnapshot>& usage, platform::FileTime now) {
    StatusCache cache{settings_path, std::move(hosts), platform::unix_milliseconds(now), {}};
    for (const auto& account : accounts) {
        CachedReading reading{account.id, account.provider, account.dir, account.email, {}, {}};
        for (const auto& entry : usage) {
            if (entry.account_id == account.id) {
                reading.label = entry.label;
                if (entry.usage) {
                    reading.five_hour = entry.usage->five_hour.percent;
                    reading.seven_day = entry.usage->seven_day.percent;
                }
                break;
            }
        }
        cache.readings.push_back(std::move(reading));
    }
    return cache;
}

std::optional<std::string> encode_status_cache(const StatusCache& cache) {
    const auto settings = text::path_to_utf8(cache.settings_path);
    if (!settings) {
        return std::nullopt;
    }
    json readings = json::array();
    for (const auto& reading : cache.readings) {
        const auto dir = text::path_to_utf8(reading.dir);
        if (!dir) {
            return std::nullopt;
        }
        readings.push_back(json{{"id", reading.id},
                                {"provider", accounts::provider_json_name(reading.provider)},
                                {"dir", *dir},
                                {"label", reading.label ? json(*reading.label) : json(nullptr)},
                                {"five_hour", percent_json(reading.five_hour)},
                                {"seven_day", percent_json(reading.seven_day)}});
    }
    const json document{{"settings", *settings},
                        {"hosts", cache.hosts},
                        {"polled_at_ms", cache.polled_at_ms},
                        {"accounts", readings}};
    return document.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::optional<StatusCache> decode_status_cache(std::string_view text) {
    const json document = json::parse(text, nullptr, false);
    if (!document.is_object()) {
        return std::nullopt;
    }
    const auto settings = document.find("settings");
    const auto hosts = document.find("hosts");
    const auto polled_at = document.find("polled_at_ms");
    const auto readings = document.find("accounts");
    if (settings == document.end() || !settings->is_string() || hosts == document.end() ||
        !hosts->is_string() || polled_at == document.end() || !polled_at->is_number_integer() ||
        readings == document.end() || !readings->is_array()) {
        return std::nullopt;
    }
    auto path = text::path_from_utf8(settings->get<std::string>());
    if (!path) {
        return std::nullopt;
    }
    StatusCache cache{std::move(*path), hosts->get<std::string>(), polled_at->get<std::int64_t>(), {}};
    for (const auto& value : *readings) {
        auto reading = reading_from(value);
        if (!reading) {
            return std::nullopt;
        }
        cache.readings.push_back(std::move(*reading));
    }
    return cache;
}

bool cache_answers(const StatusCache& cache, const std::filesystem::path& settings_path,
                   std::string_view hosts, const std::vector<accounts::Account>& accounts,
                   platform::FileTime now, std::uint32_t max_age_seconds) {
    if (cache.settings_path != settings_path || cache.hosts != hosts ||
        cache.readings.size() != accounts.size()) {
        return false;
    }
    for (std::size_t i = 0; i < accounts.size(); ++i) {
        const auto& reading = cache.readings[i];
        if (reading.id != accounts[i].id || reading.provider != accounts[i].provider ||
            reading.dir != accounts[i].dir) {
            return false;
        }
    }
    const std::int64_t age = platform::unix_milliseconds(now) - cache.polled_at_ms;
    return age >= 0 && age < static_cast<std::int64_t>(max_age_seconds) * 1000;
}

std::string status_line(const std::vector<CachedReading>& readings) {
    std::string line;
    for (const auto& reading : readings) {
        if (!line.empty()) {
            line += " \xC2\xB7 ";
        }
        line += reading.label && !reading.label->empty() ? local_part(*reading.label)
                                                         : std::string_view(reading.id);
        if (reading.five_hour && reading.seven_day) {
            line += fmt::format(" {}/{}", localization::format_percent(*reading.five_hour),
                                localization::format_percent(*reading.seven_day));
        } else {
            line += " ?";
        }
    }
    return line + "\n";
}

}  // namespace cli

#include "settings/settings_load.hpp"

#include <fmt/format.h>

#include "accounts/account_json.hpp"
#include "platform/file_io.hpp"
#include "settings/settings_members.hpp"
#include "settings/settings_path.hpp"
#include "strict_json/strict_json.hpp"
#include "text/path_text.hpp"
#include "text/utf8.hpp"

namespace settings {
namespace {

using strict_json::Json;
using Error = std::optional<std::string>;

Error read_bool(const Json& value, std::string_view key, bool& out) {
    if (!value.is_boolean()) {
        return fmt::format("{} must be true or false", key);
    }
    out = value.get<bool>();
    return std::nullopt;
}

Error read_optional_string(const Json& value, std::string_view key, std::optional<std::string>& out) {
    if (value.is_null()) {
        out.reset();
    } else if (value.is_string()) {
        out = value.get<std::string>();
    } else {
        return fmt::format("{} must be a string or null", key);
    }
    return std::nullopt;
}

Error read_near_limit(const Json& value, std::uint8_t& out) {
    const auto v = strict_json::as_u32(value);
    if (!v || (*v != 0 && (*v < NOTIFY_NEAR_LIMIT_MIN || *v > NOTIFY_NEAR_LIMIT_MAX))) {
        return fmt::format("notify_near_limit must be 0 or an integer from {} to {}", NOTIFY_NEAR_LIMIT_MIN,
                           NOTIFY_NEAR_LIMIT_MAX);
    }
    out = static_cast<std::uint8_t>(*v);
    return std::nullopt;
}

template <typename Enum, typename FromName>
Error read_enum(const Json& value, std::string_view what, FromName from_name, Enum& out) {
    const auto tag = strict_json::enum_tag(value);
    if (!tag) {
        return fmt::format("{} must be a string", what);
    }
    const auto parsed = from_name(*tag);
    if (!parsed) {
        return fmt::format("unknown {} \"{}\"", what, *tag);
    }
    out = *parsed;
    return std::nullopt;
}

Error read_tray_accounts(const Json& value, std::optional<std::vector<std::string>>& out) {
    if (value.is_null()) {
        out.reset();
        return std::nullopt;
    }
    constexpr std::string_view rule = "tray_accounts must be an array of strings or null";
    if (!value.is_array()) {
        return std::string(rule);
    }
    std::vector<std::string> ids;
    ids.reserve(value.size());
    for (const Json& id : value) {
        if (!id.is_string()) {
            return std::string(rule);
        }
        ids.push_back(id.get<std::string>());
    }
    out = std::move(ids);
    return std::nullopt;
}

Error read_accounts(const Json& value, std::vector<accounts::Account>& out) {
    if (!value.is_array()) {
        return std::string("accounts must be an array");
    }
    std::vector<accounts::Account> list;
    list.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        auto decoded = accounts::decode_account(value[i]);
        if (auto* error = std::get_if<std::string>(&decoded)) {
            return fmt::format("account {}: {}", i + 1, *error);
        }
        list.push_back(std::move(std::get<accounts::Account>(decoded)));
    }
    out = std::move(list);
    return std::nullopt;
}

// Applies member number `index` (declaration order) to `out`.
Error read_member(std::size_t index, const Json& value, SettingsFile& out) {
    const std::string_view key = SETTINGS_MEMBERS[index];
    switch (index) {
        case 0: {
            const auto v = strict_json::as_i32(value);
            if (!v) {
                return "tray_offset must be a signed 32-bit integer";
            }
            out.tray_offset = *v;
            return std::nullopt;
        }
        case 1: {
            const auto v = strict_json::as_u32(value);
            if (!v) {
                return "poll_interval_ms must be an unsigned 32-bit integer";
            }
            out.poll_interval_ms = *v;
            return std::nullopt;
        }
        case 2: return read_optional_string(value, key, out.language);
        case 3: return read_bool(value, key, out.widget_visible);
        case 4: return read_enum(value, "panel theme", panel_theme_from_json, out.panel_theme);
        case 5: return read_enum(value, "tray metric", tray_metric_from_json, out.tray_metric);
        case 6: return read_bool(value, key, out.panel_on_tray_hover);
        case 7: return read_bool(value, key, out.panel_on_corner_hover);
        case 8: return read_bool(value, key, out.pinned);
        case 9: return read_optional_string(value, key, out.display_mode);
        case 10: return read_enum(value, "hot corner", tray_corner_from_json, out.hot_corner);
        case 11: return read_enum(value, "panel layout", panel_layout_from_json, out.panel_layout);
        case 12: return read_tray_accounts(value, out.tray_accounts);
        case 13: return read_accounts(value, out.accounts);
        case 14: return read_near_limit(value, out.notify_near_limit);
        case 15: return read_bool(value, key, out.notify_reset);
        case 16: return read_bool(value, key, out.show_pace);
        case 17: return read_bool(value, key, out.show_remaining);
        default: return std::string("unknown member");
    }
}

Error read_members(const Json& root, SettingsFile& out) {
    if (root.is_object()) {
        for (std::size_t i = 0; i < SETTINGS_MEMBERS.size(); ++i) {
            const auto it = root.find(SETTINGS_MEMBERS[i]);
            if (it != root.end()) {
                if (auto error = read_member(i, *it, out)) {
                    return error;
                }
            }
        }
        return std::nullopt;
    }
    if (root.is_array()) {
        if (root.size() > SETTINGS_MEMBERS.size()) {
            return fmt::format("settings array has more than {} members", SETTINGS_MEMBERS.size());
        }
        for (std::size_t i = 0; i < root.size(); ++i) {
            if (auto error = read_member(i, root[i], out)) {
                return error;
            }
        }
        return std::nullopt;
    }
    return std::string("settings must be an object or an array");
}

}  // namespace

std::variant<SettingsFile, SettingsError> decode_settings(std::string_view text) {
    // Notepad wrote a byte-order mark for years; it says nothing about the settings.
    constexpr std::string_view BYTE_ORDER_MARK = "\xEF\xBB\xBF";
    if (text.starts_with(BYTE_ORDER_MARK)) {
        text.remove_prefix(BYTE_ORDER_MARK.size());
    }
    if (!text::is_valid_utf8(text)) {
        return SettingsError{"file is not valid UTF-8"};
    }
    auto parsed = strict_json::parse(text);
    if (auto* error = std::get_if<strict_json::ParseError>(&parsed)) {
        return SettingsError{error->message, error->line, error->column};
    }
    SettingsFile settings;
    if (auto error = read_members(std::get<Json>(parsed), settings)) {
        return SettingsError{std::move(*error)};
    }
    // The older single switch: corner hover meant both kinds of hover.
    if (settings.display_mode == "corner-hover") {
        settings.panel_on_tray_hover = true;
        settings.panel_on_corner_hover = true;
    }
    settings.display_mode.reset();
    return settings;
}

std::string describe_settings_error(const std::filesystem::path& file, const SettingsError& error) {
    const std::string name = text::path_to_utf8(file).value_or("settings.json");
    if (error.line > 0) {
        return fmt::format("{}:{}:{}: {}", name, error.line, error.column, error.message);
    }
    return fmt::format("{}: {}", name, error.message);
}

LoadOutcome read_settings_file(const std::filesystem::path& path) {
    auto contents = platform::read_file(path);
    if (auto* failure = std::get_if<platform::ReadError>(&contents)) {
        switch (failure->kind) {
            case platform::ReadError::Kind::NotFound:
                return LoadOutcome{{}, FileStatus::Missing, std::nullopt};
            case platform::ReadError::Kind::TooLarge:
                return LoadOutcome{{},
                                   FileStatus::Invalid,
                                   SettingsError{fmt::format("file is larger than {} bytes", platform::MAX_READ_BYTES)}};
            case platform::ReadError::Kind::Failed:
                return LoadOutcome{{}, FileStatus::Unreadable, SettingsError{platform::display(failure->error)}};
        }
    }
    auto decoded = decode_settings(std::get<std::string>(contents));
    if (auto* error = std::get_if<SettingsError>(&decoded)) {
        return LoadOutcome{{}, FileStatus::Invalid, std::move(*error)};
    }
    return LoadOutcome{std::move(std::get<SettingsFile>(decoded)), FileStatus::Loaded, std::nullopt};
}

SettingsFile load_settings(const std::filesystem::path& path) { return read_settings_file(path).settings; }

SettingsFile load_settings() { return load_settings(settings_path()); }

}  // namespace settings

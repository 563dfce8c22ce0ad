#include "settings/settings_write.hpp"

#include <fmt/format.h>

#include <nlohmann/json.hpp>

#include "accounts/account_json.hpp"
#include "platform/clock.hpp"
#include "platform/file_io.hpp"
#include "platform/file_lock.hpp"
#include "settings/settings_load.hpp"
#include "settings/settings_merge.hpp"

namespace settings {
namespace {

using OrderedJson = nlohmann::ordered_json;

// Whether `settings.json.invalid` already holds exactly what the file holds (kept at start).
bool already_kept(const std::filesystem::path& path) {
    std::filesystem::path plain = path;
    plain += ".invalid";
    const auto copy = platform::read_file(plain);
    const auto file = platform::read_file(path);
    return std::holds_alternative<std::string>(copy) && std::holds_alternative<std::string>(file) &&
           std::get<std::string>(copy) == std::get<std::string>(file);
}

std::optional<std::string> keep_invalid_file_aside(const std::filesystem::path& path) {
    if (already_kept(path)) {
        return std::nullopt;
    }
    auto kept = keep_file_aside(path);
    if (auto* error = std::get_if<std::string>(&kept)) {
        return std::move(*error);
    }
    return std::nullopt;
}

}  // namespace

std::variant<std::filesystem::path, std::string> keep_file_aside(const std::filesystem::path& path) {
    std::filesystem::path target = invalid_copy_path(path);
    if (auto error = platform::copy_file_exclusive(path, target)) {
        return fmt::format("cannot keep the invalid settings file aside: {}", platform::display(*error));
    }
    return target;
}

std::variant<std::string, EncodeError> encode_settings(const SettingsFile& settings) {
    OrderedJson out = OrderedJson::object();
    out["tray_offset"] = settings.tray_offset;
    out["poll_interval_ms"] = settings.poll_interval_ms;
    if (settings.language) {
        out["language"] = *settings.language;
    }
    out["widget_visible"] = settings.widget_visible;
    out["panel_theme"] = json_name(settings.panel_theme);
    out["tray_metric"] = json_name(settings.tray_metric);
    out["panel_on_tray_hover"] = settings.panel_on_tray_hover;
    out["panel_on_corner_hover"] = settings.panel_on_corner_hover;
    out["pinned"] = settings.pinned;
    out["hot_corner"] = json_name(settings.hot_corner);
    out["panel_layout"] = json_name(settings.panel_layout);
    if (settings.tray_accounts) {
        out["tray_accounts"] = *settings.tray_accounts;
    }
    if (!settings.accounts.empty()) {
        OrderedJson list = OrderedJson::array();
        for (const accounts::Account& account : settings.accounts) {
            auto encoded = accounts::encode_account(account);
            if (auto* error = std::get_if<std::string>(&encoded)) {
                return EncodeError{*error};
            }
            list.push_back(std::move(std::get<OrderedJson>(encoded)));
        }
        out["accounts"] = std::move(list);
    }
    out["notify_near_limit"] = settings.notify_near_limit;
    out["notify_reset"] = settings.notify_reset;
    out["show_pace"] = settings.show_pace;
    out["show_remaining"] = settings.show_remaining;
    try {
        return out.dump(2);
    } catch (const nlohmann::json::exception& ex) {
        // A language, id or e-mail that is not valid UTF-8 cannot be written as JSON.
        return EncodeError{ex.what()};
    }
}

std::filesystem::path invalid_copy_path(const std::filesystem::path& settings_path) {
    std::filesystem::path plain = settings_path;
    plain += ".invalid";
    if (!platform::path_exists(plain)) {
        return plain;
    }
    const auto stamp = platform::unix_seconds(platform::precise_now());
    for (unsigned n = 1;; ++n) {
        std::filesystem::path stamped = settings_path;
        stamped += n == 1 ? fmt::format(".invalid-{}", stamp) : fmt::format(".invalid-{}-{}", stamp, n);
        if (!platform::path_exists(stamped)) {
            return stamped;
        }
    }
}

KeepAside keep_aside_after(const LoadOutcome& loaded) {
    const bool was_unusable = loaded.status == FileStatus::Invalid || loaded.status == FileStatus::Unreadable;
    return was_unusable ? KeepAside::Always : KeepAside::IfInvalid;
}

std::optional<std::string> write_settings_file(const std::filesystem::path& path,
                                               const SettingsFile& settings, KeepAside keep) {
    if (path.has_parent_path()) {
        (void)platform::create_directories(path.parent_path());  // a failure shows in the write below
    }
    auto text = encode_settings(settings);
    if (auto* error = std::get_if<EncodeError>(&text)) {
        return error->reason;
    }
    bool keep_existing = false;
    if (keep == KeepAside::Always) {
        keep_existing = platform::path_exists(path);
    } else {
        const FileStatus existing = read_settings_file(path).status;
        keep_existing = existing == FileStatus::Invalid || existing == FileStatus::Unreadable;
    }
    if (keep_existing) {
        if (auto error = keep_invalid_file_aside(path)) {
            return error;
        }
    }
    if (auto error = platform::write_file_atomic(path, std::get<std::string>(text))) {
        return platform::display(*error);
    }
    return std::nullopt;
}

UpdateOutcome update_settings_file(const std::filesystem::path& path, const SettingsFile& base,
                                   const SettingsFile& ours, KeepAside keep) {
    if (path.has_parent_path()) {
        if (auto error = platform::create_directories(path.parent_path())) {
            return UpdateOutcome{std::nullopt, platform::display(*error)};
        }
    }
    auto lock = platform::FileLock::acquire(path);
    if (auto* error = std::get_if<platform::IoError>(&lock)) {
        return UpdateOutcome{std::nullopt, platform::display(*error)};
    }
    const LoadOutcome now = read_settings_file(path);
    const SettingsFile& theirs = now.status == FileStatus::Loaded ? now.settings : base;
    SettingsFile merged = merge_settings(base, ours, theirs);
    if (auto error = write_settings_file(path, merged, keep)) {
        return UpdateOutcome{std::nullopt, std::move(error)};
    }
    return UpdateOutcome{std::move(merged), std::nullopt};
}

}  // namespace settings

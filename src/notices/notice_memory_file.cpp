#include "notices/notice_memory_file.hpp"

#include <nlohmann/json.hpp>

#include "platform/file_io.hpp"
#include "strict_json/strict_json.hpp"

namespace notices {
namespace {

using strict_json::Json;

std::optional<ReachedWindow> window_from(const Json& item) {
    if (!item.is_object()) {
        return std::nullopt;
    }
    const auto account = item.find("account_id");
    const auto bar = item.find("bar");
    const auto resets_at = item.find("resets_at");
    const auto decided = item.find("reset_decided");
    if (account == item.end() || !account->is_string() || bar == item.end() || !bar->is_string() ||
        resets_at == item.end() || decided == item.end() || !decided->is_boolean()) {
        return std::nullopt;
    }
    const auto seconds = strict_json::as_i64(*resets_at);
    const auto instant = seconds ? platform::file_time_if_representable(*seconds) : std::nullopt;
    if (!instant) {
        return std::nullopt;
    }
    return ReachedWindow{account->get<std::string>(), bar->get<std::string>(), *instant,
                         decided->get<bool>()};
}

}  // namespace

std::string encode_memory(const NoticeMemory& memory) {
    nlohmann::ordered_json windows = nlohmann::ordered_json::array();
    for (const auto& window : memory.windows) {
        nlohmann::ordered_json item = nlohmann::ordered_json::object();
        item["account_id"] = window.account_id;
        item["bar"] = window.bar;
        item["resets_at"] = static_cast<std::int64_t>(platform::unix_seconds(window.resets_at));
        item["reset_decided"] = window.reset_decided;
        windows.push_back(std::move(item));
    }
    nlohmann::ordered_json out = nlohmann::ordered_json::object();
    out["windows"] = std::move(windows);
    return out.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::variant<NoticeMemory, std::string> decode_memory(std::string_view text) {
    auto parsed = strict_json::parse(text);
    if (auto* error = std::get_if<strict_json::ParseError>(&parsed)) {
        return error->message;
    }
    const Json& root = std::get<Json>(parsed);
    const auto windows = root.is_object() ? root.find("windows") : root.end();
    if (!root.is_object() || windows == root.end() || !windows->is_array()) {
        return std::string("no \"windows\" array");
    }
    NoticeMemory memory;
    for (const Json& item : *windows) {
        auto window = window_from(item);
        if (!window) {
            return std::string("a window without account_id, bar, resets_at and reset_decided");
        }
        memory.windows.push_back(std::move(*window));
    }
    return memory;
}

std::filesystem::path memory_path_beside(const std::filesystem::path& settings_path) {
    return settings_path.parent_path() / NOTICE_MEMORY_FILE_NAME;
}

MemoryRead read_memory(const std::filesystem::path& path) {
    auto contents = platform::read_file(path);
    if (auto* failure = std::get_if<platform::ReadError>(&contents)) {
        if (failure->kind == platform::ReadError::Kind::NotFound) {
            return {};
        }
        return {{}, platform::display(failure->error)};
    }
    auto decoded = decode_memory(std::get<std::string>(contents));
    if (auto* problem = std::get_if<std::string>(&decoded)) {
        return {{}, std::move(*problem)};
    }
    return {std::move(std::get<NoticeMemory>(decoded)), std::nullopt};
}

std::optional<std::string> write_memory(const std::filesystem::path& path, const NoticeMemory& memory) {
    if (auto error = platform::write_file_atomic(path, encode_memory(memory))) {
        return platform::display(*error);
    }
    return std::nullopt;
}

}  // namespace notices

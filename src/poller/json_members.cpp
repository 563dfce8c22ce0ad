#include "poller/json_members.hpp"

#include <fmt/format.h>

namespace poller {

std::variant<std::vector<const strict_json::Json*>, std::string> record_members(
    const strict_json::Json& value, std::initializer_list<std::string_view> names, std::string_view what) {
    std::vector<const strict_json::Json*> members(names.size(), nullptr);
    if (value.is_object()) {
        std::size_t i = 0;
        for (const std::string_view name : names) {
            const auto it = value.find(name);
            if (it != value.end() && strict_json::is_repeated_key(*it)) {
                // Which of the values would be meant is anybody's guess.
                return fmt::format("duplicate field `{}`", name);
            }
            if (it != value.end() && !it->is_null()) {
                members[i] = &*it;
            }
            ++i;
        }
        return members;
    }
    if (value.is_array()) {
        if (value.size() > names.size()) {
            return fmt::format("invalid length {}, expected {} with {} elements", value.size(), what,
                               names.size());
        }
        for (std::size_t i = 0; i < value.size(); ++i) {
            if (!value[i].is_null()) {
                members[i] = &value[i];
            }
        }
        return members;
    }
    return fmt::format("invalid type: {}, expected {}", value.type_name(), what);
}

}  // namespace poller

#pragma once
// Reading a record that a server may write as an object (keys matched exactly, others ignored)
// or as an array of its members in declaration order.

#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "strict_json/strict_json.hpp"

namespace poller {

// One pointer per name, null where the member is absent or JSON null; an error when the value
// is neither an object nor an array, the array has more elements than there are names, or one of
// the names was repeated in the object (a repeat of any other key does not matter).
[[nodiscard]] std::variant<std::vector<const strict_json::Json*>, std::string> record_members(
    const strict_json::Json& value, std::initializer_list<std::string_view> names, std::string_view what);

}  // namespace poller

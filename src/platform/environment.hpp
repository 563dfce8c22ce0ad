#pragma once
// Environment variables as UTF-8 text (read as UTF-16 on Windows).

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The variable's value; nothing when it is not set or is not valid text.
[[nodiscard]] std::optional<std::string> get_env(std::string_view name);

// Sets the variable for this process and the children it starts; nothing removes it.
// Returns false when the system refused or the name or value is not valid text.
bool set_env(std::string_view name, const std::optional<std::string>& value);

}  // namespace platform

// Environment variables through getenv and setenv.
#include <cstdlib>

#include "platform/environment.hpp"
#include "text/utf8.hpp"

namespace platform {

std::optional<std::string> get_env(std::string_view name) {
    const char* value = std::getenv(std::string(name).c_str());
    if (value == nullptr || !text::is_valid_utf8(value)) {
        return std::nullopt;
    }
    return std::string(value);
}

bool set_env(std::string_view name, const std::optional<std::string>& value) {
    const std::string key(name);
    if (!value) {
        return unsetenv(key.c_str()) == 0;
    }
    return setenv(key.c_str(), value->c_str(), 1) == 0;
}

}  // namespace platform

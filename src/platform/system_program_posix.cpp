// POSIX has no system folder for these Windows programs; the name stays as it is.
#include "platform/system_program.hpp"

namespace platform {

std::string system_program(std::string_view name) {
    return std::string(name);
}

}  // namespace platform

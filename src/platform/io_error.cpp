#include "platform/io_error.hpp"

#include <fmt/format.h>

namespace platform {

std::string display(const IoError& error) { return fmt::format("{} (os error {})", error.message, error.code); }

}  // namespace platform

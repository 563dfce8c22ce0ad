#pragma once
// What start-up reads from its arguments.

#include <string>
#include <vector>

namespace window {

// "--diagnose" exactly, anywhere among the arguments.
[[nodiscard]] bool has_diagnose_flag(const std::vector<std::string>& arguments);

// ["a", "b \"c\""]: the argument list as the start-up log line shows it.
[[nodiscard]] std::string debug_arguments(const std::vector<std::string>& arguments);

}  // namespace window

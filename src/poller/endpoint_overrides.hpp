#pragma once
// Developer overrides of the providers' hosts and of the trusted roots, read from the environment,
// so the programs can be run against local stand-in servers. Unset, the real hosts are used.

#include <string_view>

#include "poller/endpoints.hpp"

namespace poller {

inline constexpr std::string_view ANTHROPIC_BASE_VARIABLE = "GAUGELET_ANTHROPIC_BASE_URL";
inline constexpr std::string_view CHATGPT_BASE_VARIABLE = "GAUGELET_CHATGPT_BASE_URL";
inline constexpr std::string_view CA_FILE_VARIABLE = "GAUGELET_CA_FILE";

// The production endpoints with the overrides applied (trailing slashes of a base URL dropped);
// each override in use is logged once.
[[nodiscard]] Endpoints endpoints_from_environment();

}  // namespace poller

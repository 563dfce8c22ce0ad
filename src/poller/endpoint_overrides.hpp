#pragma once
// Developer overrides of the providers' hosts and of the trusted roots, read from the environment,
// so the programs can be run against local stand-in servers. Unset, the real hosts are used.
// An override may only point at this machine: anything else would hand both providers' bearer
// tokens to whatever host a variable names.

#include <optional>
#include <string>
#include <string_view>

#include "poller/endpoints.hpp"

namespace poller {

inline constexpr std::string_view ANTHROPIC_BASE_VARIABLE = "GAUGELET_ANTHROPIC_BASE_URL";
inline constexpr std::string_view CHATGPT_BASE_VARIABLE = "GAUGELET_CHATGPT_BASE_URL";
inline constexpr std::string_view CA_FILE_VARIABLE = "GAUGELET_CA_FILE";

// Whether an http:// or https:// URL names this machine: the host is "localhost", an address in
// 127.0.0.0/8 written as four plain decimal parts, or [::1], with an optional port. A URL with
// user information ("a@b") or any other host is not.
[[nodiscard]] bool is_loopback_url(std::string_view url);

// Values given on the command line, which take the place of the variables.
struct OverrideOptions {
    std::optional<std::string> anthropic_url;  // --anthropic-url
    std::optional<std::string> chatgpt_url;    // --chatgpt-url
};

struct EndpointChoice {
    Endpoints endpoints;
    // The first override refused, as one line naming its variable or option; its provider keeps
    // the real host.
    std::optional<std::string> refused;
};

// The production endpoints with the accepted overrides applied (trailing slashes of a base URL
// dropped). The CA file is used only when an override was accepted. Each override in use, and
// each one refused or ignored, is logged once.
[[nodiscard]] EndpointChoice choose_endpoints(const OverrideOptions& options = {});

// The same for the tray program, which logs a refusal and carries on with the real hosts.
[[nodiscard]] Endpoints endpoints_from_environment();

}  // namespace poller

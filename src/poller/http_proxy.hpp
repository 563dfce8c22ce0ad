#pragma once
// The proxy rule: the first of the standard proxy variables that is set and parses as a proxy
// address. Pure, so the rule is the same on every platform and libcurl's own (different) reading
// of these variables never applies.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace poller {

enum class ProxyScheme { Http, Socks4, Socks4a, Socks5 };

struct ProxyAddress {
    ProxyScheme scheme = ProxyScheme::Http;
    std::string user;                     // empty when the address names none
    std::optional<std::string> password;  // only with a user
    std::string host;                     // an IPv6 literal keeps its brackets
    std::uint16_t port = 0;               // the scheme's default when the address names none

    bool operator==(const ProxyAddress&) const = default;
};

// In the order they are consulted.
inline constexpr std::array<std::string_view, 6> PROXY_VARIABLES = {
    "ALL_PROXY", "all_proxy", "HTTPS_PROXY", "https_proxy", "HTTP_PROXY", "http_proxy"};

// Default ports: 80 for an http proxy, 1080 for the SOCKS kinds.
inline constexpr std::uint16_t HTTP_PROXY_DEFAULT_PORT = 80;
inline constexpr std::uint16_t SOCKS_PROXY_DEFAULT_PORT = 1080;

// [scheme "://"] [user [":" password] "@"] host [":" port] ["/"], scheme one of http, socks4,
// socks4a, socks, socks5 (socks is socks5); no scheme means http. Anything else is nothing.
[[nodiscard]] std::optional<ProxyAddress> parse_proxy_address(std::string_view text);

// Reads one environment variable; nothing when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(std::string_view name)>;

// The proxy for a new client, or nothing for direct connections.
[[nodiscard]] std::optional<ProxyAddress> select_proxy(const EnvironmentLookup& lookup);

}  // namespace poller

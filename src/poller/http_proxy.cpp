// Parsing of proxy addresses from the environment.
#include "poller/http_proxy.hpp"

#include <algorithm>
#include <cctype>

namespace poller {
namespace {

bool is_host_char(char c) {
    const auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) != 0 || c == '-' || c == '.' || c == '_';
}

bool is_ipv6_char(char c) {
    const auto u = static_cast<unsigned char>(c);
    return std::isxdigit(u) != 0 || c == ':' || c == '.';
}

std::string lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::optional<ProxyScheme> scheme_from_name(std::string_view name) {
    const std::string key = lower(name);
    if (key == "http") {
        return ProxyScheme::Http;
    }
    if (key == "socks4") {
        return ProxyScheme::Socks4;
    }
    if (key == "socks4a") {
        return ProxyScheme::Socks4a;
    }
    if (key == "socks" || key == "socks5") {
        return ProxyScheme::Socks5;
    }
    return std::nullopt;
}

std::optional<std::uint16_t> parse_port(std::string_view digits) {
    if (digits.empty() || digits.size() > 5) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value == 0 || value > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

// Splits "host[:port]" (host possibly a bracketed IPv6 literal) into its parts.
bool parse_host_port(std::string_view text, ProxyAddress& address) {
    std::string_view host;
    std::string_view rest;
    if (!text.empty() && text.front() == '[') {
        const auto close = text.find(']');
        if (close == std::string_view::npos || close < 3) {
            return false;
        }
        const std::string_view inner = text.substr(1, close - 1);
        if (!std::all_of(inner.begin(), inner.end(), is_ipv6_char)) {
            return false;
        }
        host = text.substr(0, close + 1);
        rest = text.substr(close + 1);
    } else {
        const auto colon = text.find(':');
        host = text.substr(0, colon);
        rest = colon == std::string_view::npos ? std::string_view{} : text.substr(colon);
        if (host.empty() || !std::all_of(host.begin(), host.end(), is_host_char)) {
            return false;
        }
    }
    address.host = std::string(host);
    if (rest.empty()) {
        return true;
    }
    if (rest.front() != ':') {
        return false;
    }
    const auto port = parse_port(rest.substr(1));
    if (!port) {
        return false;
    }
    address.port = *port;
    return true;
}

}  // namespace

std::optional<ProxyAddress> parse_proxy_address(std::string_view text) {
    ProxyAddress address;
    if (const auto separator = text.find("://"); separator != std::string_view::npos) {
        const auto scheme = scheme_from_name(text.substr(0, separator));
        if (!scheme) {
            return std::nullopt;
        }
        address.scheme = *scheme;
        text.remove_prefix(separator + 3);
    }
    // "http://proxy:3128/" is how these variables are often written.
    if (!text.empty() && text.back() == '/') {
        text.remove_suffix(1);
    }
    if (const auto at = text.rfind('@'); at != std::string_view::npos) {
        const std::string_view credentials = text.substr(0, at);
        const auto colon = credentials.find(':');
        address.user = std::string(credentials.substr(0, colon));
        if (address.user.empty()) {
            return std::nullopt;
        }
        if (colon != std::string_view::npos) {
            address.password = std::string(credentials.substr(colon + 1));
        }
        text.remove_prefix(at + 1);
    }
    address.port = address.scheme == ProxyScheme::Http ? HTTP_PROXY_DEFAULT_PORT : SOCKS_PROXY_DEFAULT_PORT;
    if (!parse_host_port(text, address)) {
        return std::nullopt;
    }
    return address;
}

std::optional<ProxyAddress> select_proxy(const EnvironmentLookup& lookup) {
    for (const std::string_view name : PROXY_VARIABLES) {
        if (const auto value = lookup(name)) {
            if (auto address = parse_proxy_address(*value)) {
                return address;
            }
        }
    }
    return std::nullopt;
}

}  // namespace poller

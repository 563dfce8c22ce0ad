#include "poller/endpoint_overrides.hpp"

#include <fmt/format.h>

#include <charconv>

#include "diagnostics/log.hpp"
#include "platform/environment.hpp"
#include "poller/redaction.hpp"
#include "text/path_text.hpp"

namespace poller {
namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// A decimal number without sign or leading zeros (a leading zero reads as octal to some parsers).
std::optional<unsigned> plain_number(std::string_view text, unsigned max) {
    if (text.empty() || text.size() > 5 || (text.size() > 1 && text.front() == '0')) {
        return std::nullopt;
    }
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value > max) {
        return std::nullopt;
    }
    return value;
}

bool is_loopback_ipv4(std::string_view host) {
    for (int part = 0; part < 4; ++part) {
        const auto dot = host.find('.');
        const bool last = part == 3;
        if (last != (dot == std::string_view::npos)) {
            return false;
        }
        const auto number = plain_number(host.substr(0, dot), 255);
        if (!number || (part == 0 && *number != 127)) {
            return false;
        }
        host.remove_prefix(last ? host.size() : dot + 1);
    }
    return true;
}

bool is_localhost(std::string_view host) {
    constexpr std::string_view NAME = "localhost";
    if (host.size() != NAME.size()) {
        return false;
    }
    for (std::size_t i = 0; i < NAME.size(); ++i) {
        const char c = host[i] >= 'A' && host[i] <= 'Z' ? static_cast<char>(host[i] - 'A' + 'a') : host[i];
        if (c != NAME[i]) {
            return false;
        }
    }
    return true;
}

std::string without_trailing_slashes(std::string url) {
    while (!url.empty() && url.back() == '/') {
        url.pop_back();
    }
    return url;
}

// One provider's base: the option, else the variable; refused unless it names this machine.
void apply_override(std::string& base, std::string_view variable, std::string_view option,
                    const std::optional<std::string>& option_value, EndpointChoice& choice, bool& accepted) {
    std::optional<std::string> value = option_value;
    std::string_view source = option;
    if (!value) {
        value = platform::get_env(variable);
        source = variable;
    }
    if (!value || value->empty()) {
        return;
    }
    if (!is_loopback_url(*value)) {
        constexpr std::string_view WHY = "is refused: only localhost, 127.0.0.0/8 or [::1] may stand in for a provider";
        // The log never gets the user and password a refused URL may carry; the CLI shows what was typed.
        diagnostics::log_owned(fmt::format("developer override {} \"{}\" {}; the real host is used", source,
                                           url_for_log(*value), WHY));
        std::string line = fmt::format("{} \"{}\" {}", source, *value, WHY);
        if (!choice.refused) {
            choice.refused = std::move(line);
        }
        return;
    }
    diagnostics::log_owned(fmt::format("developer override {}={}", source, url_for_log(*value)));
    base = without_trailing_slashes(std::move(*value));
    accepted = true;
}

}  // namespace

bool is_loopback_url(std::string_view url) {
    if (url.rfind("http://", 0) == 0) {
        url.remove_prefix(7);
    } else if (url.rfind("https://", 0) == 0) {
        url.remove_prefix(8);
    } else {
        return false;
    }
    std::string_view authority = url.substr(0, url.find_first_of("/?#"));
    // Anything unusual in the authority (user information, a backslash, percent-escapes) is
    // refused rather than second-guessed the way some parser might read it.
    for (const char c : authority) {
        const bool allowed = is_digit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '.' ||
                             c == '-' || c == ':' || c == '[' || c == ']';
        if (!allowed) {
            return false;
        }
    }
    std::string_view host;
    if (authority.rfind("[", 0) == 0) {
        const auto close = authority.find(']');
        if (close == std::string_view::npos) {
            return false;
        }
        host = authority.substr(0, close + 1);
        authority.remove_prefix(close + 1);
        if (host != "[::1]") {
            return false;
        }
    } else {
        host = authority.substr(0, authority.find(':'));
        authority.remove_prefix(host.size());
        if (!is_localhost(host) && !is_loopback_ipv4(host)) {
            return false;
        }
    }
    if (authority.empty()) {
        return true;
    }
    const auto port = plain_number(authority.substr(authority.front() == ':' ? 1 : 0), 65535);
    return authority.front() == ':' && port && *port > 0;
}

EndpointChoice choose_endpoints(const OverrideOptions& options) {
    EndpointChoice choice;
    bool accepted = false;
    apply_override(choice.endpoints.anthropic, ANTHROPIC_BASE_VARIABLE, "--anthropic-url",
                   options.anthropic_url, choice, accepted);
    apply_override(choice.endpoints.chatgpt, CHATGPT_BASE_VARIABLE, "--chatgpt-url", options.chatgpt_url,
                   choice, accepted);
    const auto ca_file = platform::get_env(CA_FILE_VARIABLE);
    if (!ca_file || ca_file->empty()) {
        return choice;
    }
    // Other roots are only for the local stand-ins; the real hosts keep the system's.
    if (!accepted) {
        diagnostics::log_owned(
            fmt::format("developer override {} ignored: no local host override", CA_FILE_VARIABLE));
        return choice;
    }
    diagnostics::log_owned(fmt::format("developer override {}={}", CA_FILE_VARIABLE, *ca_file));
    choice.endpoints.http.ca_file = text::path_from_utf8(*ca_file);
    return choice;
}

Endpoints endpoints_from_environment() {
    return choose_endpoints().endpoints;
}

}  // namespace poller

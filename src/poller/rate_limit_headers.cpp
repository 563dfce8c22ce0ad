#include "poller/rate_limit_headers.hpp"

#include <charconv>
#include <cmath>

namespace poller {
namespace {

// from_chars refuses a leading '+', which the servers may send; accept one.
std::string_view without_plus(std::string_view text) noexcept {
    if (text.size() > 1 && text.front() == '+' && text[1] != '-' && text[1] != '+') {
        text.remove_prefix(1);
    }
    return text;
}

}  // namespace

std::optional<double> parse_header_float(std::string_view text) noexcept {
    text = without_plus(text);
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    if (!std::isfinite(value)) {
        return std::nullopt;  // "nan", "inf": as if the header were not there
    }
    return value;
}

std::optional<std::int64_t> parse_header_integer(std::string_view text) noexcept {
    text = without_plus(text);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace poller

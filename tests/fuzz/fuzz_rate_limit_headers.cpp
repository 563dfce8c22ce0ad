// Feeds arbitrary headers to the reading of a Messages answer's rate-limit headers. The input is
// read as header lines, "name: value" each. A reading exists exactly when one of the key headers
// does; its bars carry the utilizations as percentages (or 100 for the window a rejection names)
// and reset instants no earlier than 1970; the number readers' results survive being written
// back as text.

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.hpp"
#include "poller/http_response.hpp"
#include "poller/messages_fallback.hpp"
#include "poller/rate_limit_headers.hpp"

using fuzz_support::check;

namespace {

poller::HttpHeaders header_lines(std::string_view input) {
    poller::HttpHeaders headers;
    while (!input.empty()) {
        const auto end = input.find('\n');
        std::string_view line = input.substr(0, end);
        input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        const auto colon = line.find(':');
        std::string_view value =
            colon == std::string_view::npos ? std::string_view() : line.substr(colon + 1);
        if (!value.empty() && value.front() == ' ') {
            value.remove_prefix(1);
        }
        headers.push_back({std::string(line.substr(0, colon)), std::string(value)});
    }
    return headers;
}

bool same_number(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

void check_number_readers(std::string_view text) {
    if (const auto integer = poller::parse_header_integer(text)) {
        check(poller::parse_header_integer(std::to_string(*integer)) == integer,
              "an integer header does not survive being written back");
    }
    if (const auto number = poller::parse_header_float(text); number && std::isfinite(*number)) {
        char buffer[64];
        const auto written = std::to_chars(buffer, buffer + sizeof buffer, *number);
        check(written.ec == std::errc(), "a number header cannot be written back");
        const auto again = poller::parse_header_float(std::string_view(buffer, written.ptr));
        check(again && *again == *number, "a number header does not survive being written back");
    }
}

void check_bar(const poller::UsageBar& bar, const poller::HttpResponse& answer, std::string_view utilization,
               const char* what) {
    const auto text = answer.header(utilization);
    const double expected = (text ? poller::parse_header_float(*text) : std::nullopt).value_or(0.0) * 100.0;
    check(same_number(bar.percent, expected) || bar.percent == 100.0, what);
    check(!bar.resets_at || *bar.resets_at >= platform::FILETIME_UNIX_EPOCH, "a reset instant before 1970");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    poller::HttpResponse answer;
    answer.status = 429;
    answer.headers = header_lines(input);
    for (const auto& header : answer.headers) {
        check_number_readers(header.value);
    }

    const auto usage = poller::usage_from_rate_limit_headers(answer);
    const bool keyed = answer.header("anthropic-ratelimit-unified-5h-utilization") ||
                       answer.header("anthropic-ratelimit-unified-7d-utilization") ||
                       answer.header("anthropic-ratelimit-unified-status");
    check(usage.has_value() == keyed, "a reading without a key header, or none with one");
    if (usage) {
        check(usage->model_bars.empty(), "model bars from headers");
        check_bar(usage->five_hour, answer, "anthropic-ratelimit-unified-5h-utilization",
                  "the five-hour percentage is not the utilization");
        check_bar(usage->seven_day, answer, "anthropic-ratelimit-unified-7d-utilization",
                  "the seven-day percentage is not the utilization");
    }
    return 0;
}

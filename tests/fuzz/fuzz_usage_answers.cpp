// Feeds arbitrary bytes to the readers of the providers' answers: the Claude and Codex usage
// bodies, a reset time stamp and the Messages headers' numbers. Nothing may crash, hang or trip
// a sanitizer, whatever a server sends.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "poller/claude_usage_response.hpp"
#include "poller/codex_usage.hpp"
#include "poller/rate_limit_headers.hpp"
#include "poller/reset_timestamp.hpp"
#include "poller/usage_cooldown.hpp"
#include "strict_json/strict_json.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    auto document = strict_json::parse(input);
    if (const auto* json = std::get_if<strict_json::Json>(&document)) {
        auto claude = poller::decode_usage_response(*json);
        if (const auto* response = std::get_if<poller::UsageResponse>(&claude)) {
            (void)poller::usage_from_response(*response);
        }
        (void)poller::codex_usage_from_body(*json);
    }
    (void)poller::parse_reset_timestamp(input);
    (void)poller::parse_header_float(input);
    (void)poller::parse_header_integer(input);
    (void)poller::retry_after_instant(input, 0);
    return 0;
}

#pragma once
// Reset instants written as RFC 3339 text by the Claude usage endpoint.

#include <optional>
#include <string_view>

#include "platform/clock.hpp"

namespace poller {

// "2025-03-01T05:00:00.123456+00:00" → that instant, to the whole second. Fractions are
// dropped; "Z" and numeric offsets (+05:00, -0500, +05) are applied. The day is checked against
// 1-31 only, so 2025-02-30 reads as 2 March. Anything else gives no instant.
[[nodiscard]] std::optional<platform::FileTime> parse_reset_timestamp(std::optional<std::string_view> text);

}  // namespace poller

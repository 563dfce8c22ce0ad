#pragma once
// Text from outside (a server's answer, a library's error) can carry the very token we sent; it
// never reaches the log with it.

#include <string>
#include <string_view>

namespace poller {

inline constexpr std::string_view REDACTED = "[redacted]";

// `text` with every occurrence of `secret` replaced by REDACTED (an empty secret changes nothing).
[[nodiscard]] std::string redact_secret(std::string text, std::string_view secret);

}  // namespace poller

#pragma once
// Numbers in answer headers, read the way the fetchers need them.

#include <cstdint>
#include <optional>
#include <string_view>

namespace poller {

// A floating-point number; nothing for missing or malformed text (no surrounding blanks).
[[nodiscard]] std::optional<double> parse_header_float(std::string_view text) noexcept;

// A signed decimal integer; nothing for malformed text or a value outside 64 bits.
[[nodiscard]] std::optional<std::int64_t> parse_header_integer(std::string_view text) noexcept;

}  // namespace poller

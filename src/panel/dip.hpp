#pragma once
// Device-independent pixels to physical pixels at a given DPI.

#include <cstdint>
#include <limits>

namespace panel {

// s(v) = round(dpi × v / 96), exact halves away from zero, limited to the 32-bit signed range.
// Each constant is scaled on its own, so scale(dpi, 3) + scale(dpi, 10) need not be scale(dpi, 13).
[[nodiscard]] constexpr std::int32_t scale(std::uint32_t dpi, std::int64_t dips) noexcept {
    // dpi < 2^32 and |dips| < 2^31 in every use; the product stays inside 64 bits.
    const std::int64_t product = static_cast<std::int64_t>(dpi) * dips;
    const std::int64_t rounded = product >= 0 ? (product + 48) / 96 : -((-product + 48) / 96);
    if (rounded > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (rounded < std::numeric_limits<std::int32_t>::min()) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(rounded);
}

}  // namespace panel

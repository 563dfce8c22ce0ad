#pragma once
// Device-independent pixels: every length on screen is given at 96 DPI and scaled to the DPI it is
// drawn or placed at. This is the program's one scaling rule; callers pass the DPI explicitly.

#include <atomic>
#include <cstdint>
#include <limits>

namespace state {

inline constexpr std::uint32_t DEFAULT_DPI = 96;

// s(v) = round(dpi × v / 96), exact halves away from zero, limited to the signed 32-bit range.
// Each constant is scaled on its own, so s(3) + s(10) need not be s(13).
[[nodiscard]] constexpr std::int32_t scale_dip(std::int64_t dips, std::uint32_t dpi) noexcept {
    // Clamp first so the product stays inside 64 bits whatever the caller hands in.
    constexpr std::int64_t limit = std::int64_t{1} << 40;
    dips = dips > limit ? limit : (dips < -limit ? -limit : dips);
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

// The system DPI: 96 until start-up reads the system's, refreshed from the window before drawing
// and placing.
[[nodiscard]] std::atomic<std::uint32_t>& system_dpi() noexcept;

}  // namespace state

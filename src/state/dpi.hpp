#pragma once
// Device-independent pixels: every length on screen is given at 96 DPI and scaled to the DPI
// of the moment.

#include <atomic>
#include <cstdint>

namespace state {

inline constexpr std::uint32_t DEFAULT_DPI = 96;

// round(dpi × v / 96), halves away from zero, limited to the signed 32-bit range.
[[nodiscard]] std::int32_t scale_dip(double v, std::uint32_t dpi) noexcept;

// The DPI all pixel constants are scaled by: 96 until start-up reads the system's.
[[nodiscard]] std::atomic<std::uint32_t>& system_dpi() noexcept;

// s(v) at the current system_dpi.
[[nodiscard]] std::int32_t s(double v) noexcept;

}  // namespace state

#include "state/dpi.hpp"

#include <cmath>
#include <limits>

namespace state {

std::int32_t scale_dip(double v, std::uint32_t dpi) noexcept {
    const double scaled = std::round(static_cast<double>(dpi) * v / 96.0);  // std::round: halves away from 0
    if (!(scaled >= static_cast<double>(std::numeric_limits<std::int32_t>::min()))) {
        return std::numeric_limits<std::int32_t>::min();  // also NaN
    }
    if (scaled >= static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
        return std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(scaled);
}

std::atomic<std::uint32_t>& system_dpi() noexcept {
    static std::atomic<std::uint32_t> dpi{DEFAULT_DPI};
    return dpi;
}

std::int32_t s(double v) noexcept {
    return scale_dip(v, system_dpi().load(std::memory_order_relaxed));
}

}  // namespace state

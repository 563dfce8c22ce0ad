#include "state/dpi.hpp"

namespace state {

std::atomic<std::uint32_t>& system_dpi() noexcept {
    static std::atomic<std::uint32_t> dpi{DEFAULT_DPI};
    return dpi;
}

}  // namespace state

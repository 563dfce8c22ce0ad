#include "tray_icon/tray_pixels.hpp"

namespace tray_icon {

void make_drawn_pixels_opaque(std::span<std::uint32_t> pixels) noexcept {
    for (std::uint32_t& p : pixels) {
        if (p != 0) {
            p |= 0xFF000000u;
        }
    }
}

}  // namespace tray_icon

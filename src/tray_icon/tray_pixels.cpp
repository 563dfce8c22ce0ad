#include "tray_icon/tray_pixels.hpp"

#include <algorithm>

namespace tray_icon {
namespace {

void fill(std::span<std::uint32_t> pixels, const state::Rect& r, std::uint32_t value) {
    const std::int32_t left = std::clamp(r.left, 0, TRAY_ICON_SIZE);
    const std::int32_t right = std::clamp(r.right, left, TRAY_ICON_SIZE);
    const std::int32_t top = std::clamp(r.top, 0, TRAY_ICON_SIZE);
    const std::int32_t bottom = std::clamp(r.bottom, top, TRAY_ICON_SIZE);
    for (std::int32_t y = top; y < bottom; ++y) {
        const auto row = pixels.subspan(static_cast<std::size_t>(y) * TRAY_ICON_SIZE, TRAY_ICON_SIZE);
        std::fill(row.begin() + left, row.begin() + right, value);
    }
}

}  // namespace

void paint_tray_bars(std::span<std::uint32_t> pixels, const TrayIconSpec& spec) {
    if (pixels.size() != static_cast<std::size_t>(TRAY_ICON_SIZE) * TRAY_ICON_SIZE) {
        return;
    }
    for (const TrayBar& bar : tray_bars(spec)) {
        fill(pixels, bar.track, tray_pixel(TRAY_TRACK_COLOUR));
        const state::Rect filled{bar.track.left, bar.track.top, bar.track.left + bar.fill_width,
                                 bar.track.bottom};
        fill(pixels, filled, tray_pixel(spec.colour));
    }
}

void make_drawn_pixels_opaque(std::span<std::uint32_t> pixels) noexcept {
    for (std::uint32_t& p : pixels) {
        if (p != 0) {
            p |= 0xFF000000u;
        }
    }
}

}  // namespace tray_icon

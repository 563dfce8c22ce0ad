#pragma once
// The tray gauge's pixels: the bars painted straight into the icon's 64 × 64 bitmap, and the
// alpha that makes what was drawn opaque (GDI leaves the alpha byte at zero).

#include <cstdint>
#include <span>

#include "tray_icon/tray_spec.hpp"

namespace tray_icon {

// 0xAARRGGBB, as a 32-bpp DIB section holds it.
[[nodiscard]] constexpr std::uint32_t tray_pixel(panel::Rgb c) noexcept {
    return (std::uint32_t{c.red} << 16) | (std::uint32_t{c.green} << 8) | c.blue;
}

// Paints an icon spec's bars (track, then fill in the account's colour) into `pixels`, a top-down
// TRAY_ICON_SIZE × TRAY_ICON_SIZE bitmap; other pixels are left as they are. Nothing is painted
// when `pixels` has another size.
void paint_tray_bars(std::span<std::uint32_t> pixels, const TrayIconSpec& spec);

// Every non-zero pixel gets alpha 255; zero pixels stay fully transparent.
void make_drawn_pixels_opaque(std::span<std::uint32_t> pixels) noexcept;

}  // namespace tray_icon

#pragma once
// The tray bitmap's alpha: GDI leaves the alpha byte at zero, so what was drawn is made opaque.

#include <cstdint>
#include <span>

namespace tray_icon {

// Every non-zero pixel (0xAARRGGBB words) gets alpha 255; zero pixels stay fully transparent.
void make_drawn_pixels_opaque(std::span<std::uint32_t> pixels) noexcept;

}  // namespace tray_icon

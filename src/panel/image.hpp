#pragma once
// A 32-bit top-down pixel buffer laid out as a Windows DIB section: one word per pixel, blue in
// the low byte, then green, red and alpha.

#include <cstdint>
#include <vector>

#include "panel/palette.hpp"

namespace panel {

struct Image {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint32_t> pixels;  // width × height, row by row from the top

    Image() = default;
    Image(std::int32_t w, std::int32_t h)
        : width(w > 0 ? w : 0),
          height(h > 0 ? h : 0),
          pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0) {}

    [[nodiscard]] std::uint32_t& at(std::int32_t x, std::int32_t y) {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
    [[nodiscard]] std::uint32_t at(std::int32_t x, std::int32_t y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

[[nodiscard]] constexpr std::uint32_t pixel(Rgb colour, std::uint8_t alpha = 0) noexcept {
    return (static_cast<std::uint32_t>(alpha) << 24) | (static_cast<std::uint32_t>(colour.red) << 16) |
           (static_cast<std::uint32_t>(colour.green) << 8) | colour.blue;
}

// Fills every row with the palette's background: solid, or the vertical gradient.
void fill_background(Image& image, const PanelPalette& palette);

// How much of pixel (x, y) lies inside the panel's outline of corner radius `radius` pixels
// (already limited to half the shorter side): 1 outside the corner squares.
[[nodiscard]] double corner_coverage(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                                     std::int32_t radius) noexcept;

// Turns a drawn frame into what a per-pixel-alpha window takes: opaque inside the outline, the
// rounded corners anti-aliased and premultiplied, fully transparent outside. `radius_px` is
// s(corner_radius); it is limited to half the shorter side here.
void apply_rounded_alpha(Image& image, std::int32_t radius_px);

}  // namespace panel

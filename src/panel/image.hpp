#pragma once
// 32-bit top-down pixels laid out as a Windows DIB section: one word per pixel, blue in the low
// byte, then green, red and alpha. The pixel passes work on a view, so they run directly on the
// bits of a DIB section the caller owns; `Image` owns its pixels for tests and off-screen work.

#include <array>
#include <cstdint>
#include <span>
#include <type_traits>
#include <vector>

#include "panel/palette.hpp"
#include "state/rect.hpp"

namespace panel {

// Width × height pixels, row by row from the top, owned by someone else.
template <typename Pixel>
struct BasicImageView {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::span<Pixel> pixels;

    BasicImageView() = default;
    // An empty view when the span is too short for the size.
    BasicImageView(std::int32_t w, std::int32_t h, std::span<Pixel> bits) noexcept {
        if (w > 0 && h > 0 && bits.size() >= static_cast<std::size_t>(w) * static_cast<std::size_t>(h)) {
            width = w;
            height = h;
            pixels = bits.first(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
        }
    }
    template <typename Other>
    requires(!std::is_same_v<Other, Pixel>) BasicImageView(const BasicImageView<Other>& other)
    noexcept  // NOLINT: mutable to const view
        : width(other.width), height(other.height), pixels(other.pixels) {}

    [[nodiscard]] Pixel& at(std::int32_t x, std::int32_t y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

using ImageView = BasicImageView<std::uint32_t>;
using ConstImageView = BasicImageView<const std::uint32_t>;

struct Image {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint32_t> pixels;  // width × height, row by row from the top

    Image() = default;
    Image(std::int32_t w, std::int32_t h)
        : width(w > 0 ? w : 0),
          height(h > 0 ? h : 0),
          pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0) {}

    [[nodiscard]] std::uint32_t& at(std::int32_t x, std::int32_t y) { return view().at(x, y); }
    [[nodiscard]] std::uint32_t at(std::int32_t x, std::int32_t y) const { return view().at(x, y); }

    [[nodiscard]] ImageView view() noexcept { return {width, height, std::span(pixels)}; }
    [[nodiscard]] ConstImageView view() const noexcept { return {width, height, std::span(pixels)}; }
    operator ImageView() noexcept { return view(); }             // NOLINT: implicit by design
    operator ConstImageView() const noexcept { return view(); }  // NOLINT: implicit by design
};

[[nodiscard]] constexpr std::uint32_t pixel(Rgb colour, std::uint8_t alpha = 0) noexcept {
    return (static_cast<std::uint32_t>(alpha) << 24) | (static_cast<std::uint32_t>(colour.red) << 16) |
           (static_cast<std::uint32_t>(colour.green) << 8) | colour.blue;
}

// Fills every row with the palette's background, opaque: solid, or the vertical gradient.
void fill_background(ImageView image, const PanelPalette& palette);

// The opaque background pixel of each of `height` rows.
[[nodiscard]] std::vector<std::uint32_t> background_rows(const PanelPalette& palette, std::int32_t height);

// Fills `areas` (each limited to the image) with the background `rows` (one per image row); the
// rest is left as it is.
void fill_rows(ImageView image, std::span<const std::uint32_t> rows,
               std::span<const state::Rect> areas) noexcept;

// Sets the alpha of every pixel inside `areas` to 255, colours untouched. GDI writes alpha 0
// wherever it draws into a 32-bpp section.
void make_opaque(ImageView image, std::span<const state::Rect> areas) noexcept;

// How much of pixel (x, y) lies inside the panel's outline of corner radius `radius` pixels
// (already limited to half the shorter side): 1 outside the corner squares.
[[nodiscard]] double corner_coverage(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                                     std::int32_t radius) noexcept;

// The radius the corner passes use: s(corner_radius) limited to half the shorter side.
[[nodiscard]] std::int32_t corner_radius_within(std::int32_t width, std::int32_t height,
                                                std::int32_t radius_px) noexcept;

// Rounds an opaque frame's corners: inside the corner squares named in `which` (top-left,
// top-right, bottom-left, bottom-right) each pixel becomes its coverage of the outline,
// premultiplied (fully transparent outside); nothing else is touched.
void round_corners(ImageView image, std::int32_t radius_px,
                   std::array<bool, 4> which = {true, true, true, true});

// Turns a drawn frame into what a per-pixel-alpha window takes: opaque inside the outline, the
// rounded corners anti-aliased and premultiplied, fully transparent outside. `radius_px` is
// s(corner_radius); it is limited to half the shorter side here.
void apply_rounded_alpha(ImageView image, std::int32_t radius_px);

}  // namespace panel

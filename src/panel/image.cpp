#include "panel/image.hpp"

#include <algorithm>
#include <cmath>

namespace panel {

void fill_background(ImageView image, const PanelPalette& palette) {
    for (std::int32_t y = 0; y < image.height; ++y) {
        const std::uint32_t value = pixel(background_row(palette, y, image.height));
        std::fill_n(image.pixels.begin() + static_cast<std::ptrdiff_t>(y) * image.width, image.width, value);
    }
}

double corner_coverage(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                       std::int32_t radius) noexcept {
    const std::int32_t k = radius;
    if (k <= 0) {
        return 1.0;
    }
    const bool left = x < k;
    const bool right = x >= width - k;
    const bool top = y < k;
    const bool bottom = y >= height - k;
    if (!((left || right) && (top || bottom))) {
        return 1.0;
    }
    const double cx = left ? k : width - k - 1;
    const double cy = top ? k : height - k - 1;
    const double distance = std::hypot(x - cx, y - cy);
    return std::clamp(k + 0.5 - distance, 0.0, 1.0);
}

void apply_rounded_alpha(ImageView image, std::int32_t radius_px) {
    const std::int32_t w = image.width;
    const std::int32_t h = image.height;
    const std::int32_t k = std::clamp(radius_px, 0, std::min(w, h) / 2);
    for (std::uint32_t& value : image.pixels) {
        value |= 0xFF000000u;
    }
    if (k <= 0) {
        return;
    }
    // Only the four corner squares need arithmetic.
    const std::int32_t xs[2] = {0, w - k};
    const std::int32_t ys[2] = {0, h - k};
    for (const std::int32_t y0 : ys) {
        for (const std::int32_t x0 : xs) {
            for (std::int32_t y = y0; y < y0 + k; ++y) {
                for (std::int32_t x = x0; x < x0 + k; ++x) {
                    const double cov = corner_coverage(x, y, w, h, k);
                    std::uint32_t& value = image.at(x, y);
                    if (cov >= 1.0) {
                        continue;
                    }
                    if (cov <= 0.0) {
                        value = 0;
                        continue;
                    }
                    const auto scaled = [cov](std::uint32_t c) {
                        return static_cast<std::uint32_t>(std::lround(static_cast<double>(c & 0xFF) * cov));
                    };
                    value = (static_cast<std::uint32_t>(std::lround(255.0 * cov)) << 24) |
                            (scaled(value >> 16) << 16) | (scaled(value >> 8) << 8) | scaled(value);
                }
            }
        }
    }
}

}  // namespace panel

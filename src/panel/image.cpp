#include "panel/image.hpp"

#include <algorithm>
#include <cmath>

namespace panel {

namespace {

// `area` limited to the image; empty (zero width or height) when they do not meet.
state::Rect within(const ImageView& image, const state::Rect& area) noexcept {
    const state::Rect r{std::max(area.left, 0), std::max(area.top, 0), std::min(area.right, image.width),
                        std::min(area.bottom, image.height)};
    return r.left < r.right && r.top < r.bottom ? r : state::Rect{};
}

std::uint32_t* row_start(const ImageView& image, std::int32_t x, std::int32_t y) noexcept {
    return image.pixels.data() + static_cast<std::ptrdiff_t>(y) * image.width + x;
}

}  // namespace

std::vector<std::uint32_t> background_rows(const PanelPalette& palette, std::int32_t height) {
    std::vector<std::uint32_t> rows(static_cast<std::size_t>(std::max(height, 0)));
    for (std::int32_t y = 0; y < height; ++y) {
        rows[static_cast<std::size_t>(y)] = pixel(background_row(palette, y, height), 0xFF);
    }
    return rows;
}

void fill_background(ImageView image, const PanelPalette& palette) {
    for (std::int32_t y = 0; y < image.height; ++y) {
        std::fill_n(row_start(image, 0, y), image.width,
                    pixel(background_row(palette, y, image.height), 0xFF));
    }
}

void fill_rows(ImageView image, std::span<const std::uint32_t> rows,
               std::span<const state::Rect> areas) noexcept {
    if (rows.size() < static_cast<std::size_t>(image.height)) {
        return;
    }
    for (const state::Rect& area : areas) {
        const state::Rect r = within(image, area);
        for (std::int32_t y = r.top; y < r.bottom; ++y) {
            std::fill_n(row_start(image, r.left, y), r.width(), rows[static_cast<std::size_t>(y)]);
        }
    }
}

void make_opaque(ImageView image, std::span<const state::Rect> areas) noexcept {
    for (const state::Rect& area : areas) {
        const state::Rect r = within(image, area);
        for (std::int32_t y = r.top; y < r.bottom; ++y) {
            std::uint32_t* const row = row_start(image, r.left, y);
            for (std::int32_t x = 0; x < r.width(); ++x) {
                row[x] |= 0xFF000000u;
            }
        }
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

std::int32_t corner_radius_within(std::int32_t width, std::int32_t height, std::int32_t radius_px) noexcept {
    return std::clamp(radius_px, 0, std::max(std::min(width, height) / 2, 0));
}

void round_corners(ImageView image, std::int32_t radius_px, std::array<bool, 4> which) {
    const std::int32_t w = image.width;
    const std::int32_t h = image.height;
    const std::int32_t k = corner_radius_within(w, h, radius_px);
    if (k <= 0) {
        return;
    }
    for (std::size_t corner = 0; corner < which.size(); ++corner) {
        if (!which[corner]) {
            continue;
        }
        const std::int32_t x0 = corner % 2 == 0 ? 0 : w - k;
        const std::int32_t y0 = corner < 2 ? 0 : h - k;
        for (std::int32_t y = y0; y < y0 + k; ++y) {
            for (std::int32_t x = x0; x < x0 + k; ++x) {
                const double cov = corner_coverage(x, y, w, h, k);
                std::uint32_t& value = image.at(x, y);
                if (cov >= 1.0) {
                    value |= 0xFF000000u;
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

void apply_rounded_alpha(ImageView image, std::int32_t radius_px) {
    const state::Rect whole{0, 0, image.width, image.height};
    make_opaque(image, std::span(&whole, 1));
    round_corners(image, radius_px);
}

}  // namespace panel

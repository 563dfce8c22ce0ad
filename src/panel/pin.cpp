#include "panel/pin.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "state/dpi.hpp"

namespace panel {
namespace {

std::int32_t rounded(double v) noexcept {
    return static_cast<std::int32_t>(std::clamp(std::round(v), -2147483648.0, 2147483647.0));
}

}  // namespace

std::optional<PinProgress> pin_progress(std::uint64_t elapsed_ms, PinDirection direction) noexcept {
    const auto t = static_cast<double>(elapsed_ms);
    if (direction == PinDirection::Pinning) {
        if (elapsed_ms < 230) {
            return PinProgress{std::pow(t / 230.0, 3), 0.0};
        }
        if (elapsed_ms < 380) {
            return PinProgress{1.0, 0.07 * std::sin((t - 230.0) / 150.0 * std::numbers::pi)};
        }
        return std::nullopt;
    }
    if (elapsed_ms < 210) {
        return PinProgress{std::pow(1.0 - t / 210.0, 3), 0.0};
    }
    return std::nullopt;
}

PinGeometry measure_pin_geometry(ConstImageView glyph) {
    if (glyph.width != PIN_MEASURE_SIZE || glyph.height != PIN_MEASURE_SIZE ||
        glyph.pixels.size() != static_cast<std::size_t>(PIN_MEASURE_SIZE * PIN_MEASURE_SIZE)) {
        return DEFAULT_PIN_GEOMETRY;
    }
    const auto inside = [&](std::int32_t x, std::int32_t y) { return (glyph.at(x, y) & 0xFF) > 40; };
    std::int64_t count = 0;
    double sum_x = 0;
    double sum_y = 0;
    for (std::int32_t y = 0; y < PIN_MEASURE_SIZE; ++y) {
        for (std::int32_t x = 0; x < PIN_MEASURE_SIZE; ++x) {
            if (inside(x, y)) {
                ++count;
                sum_x += x;
                sum_y += y;
            }
        }
    }
    if (count < 20) {
        return DEFAULT_PIN_GEOMETRY;
    }
    const double cx = sum_x / static_cast<double>(count);
    const double cy = sum_y / static_cast<double>(count);
    std::int32_t tip_x = 0;
    std::int32_t tip_y = 0;
    double farthest = -1.0;
    for (std::int32_t y = 0; y < PIN_MEASURE_SIZE; ++y) {
        for (std::int32_t x = 0; x < PIN_MEASURE_SIZE; ++x) {
            const double d = std::hypot(x - cx, y - cy);
            if (inside(x, y) && d > farthest) {
                farthest = d;
                tip_x = x;
                tip_y = y;
            }
        }
    }
    const double v = std::hypot(cx - tip_x, cy - tip_y);
    if (v < 1.0) {
        return DEFAULT_PIN_GEOMETRY;
    }
    const double axis_x = (cx - tip_x) / v;
    const double axis_y = (cy - tip_y) / v;
    double length = -1e300;
    for (std::int32_t y = 0; y < PIN_MEASURE_SIZE; ++y) {
        for (std::int32_t x = 0; x < PIN_MEASURE_SIZE; ++x) {
            if (inside(x, y)) {
                length = std::max(length, (x - tip_x) * axis_x + (y - tip_y) * axis_y);
            }
        }
    }
    if (length < 4.0) {
        return DEFAULT_PIN_GEOMETRY;
    }
    constexpr double size = PIN_MEASURE_SIZE;
    return PinGeometry{tip_x / size, tip_y / size, axis_x, axis_y, length / size};
}

state::Rect pin_box(std::int32_t panel_width, std::uint32_t dpi) noexcept {
    const std::int32_t n = state::scale_dip(16, dpi);
    const std::int32_t edge = state::scale_dip(6, dpi);
    return state::Rect{panel_width - edge - n, edge, panel_width - edge, edge + n};
}

Offset pin_push_offset(const PinGeometry& geometry, std::int32_t box_size, PinProgress state) noexcept {
    const double k = 0.375 * geometry.length * static_cast<double>(box_size);
    const double q = -k * (state.progress + state.wobble);
    return Offset{rounded(geometry.axis_x * q), rounded(q * geometry.axis_y)};
}

std::array<Point, 4> pin_clip_polygon(const PinGeometry& g, const state::Rect& box) noexcept {
    const double m = static_cast<double>(box.right - box.left);
    const double pad = std::max(0.012 * m, 0.75);
    const double hx = g.tip_x * m + box.left - pad * g.axis_x;
    const double hy = g.tip_y * m + box.top - pad * g.axis_y;
    const double u = 4.0 * m;
    return {{
        {rounded(hx - u * g.axis_y), rounded(hy + u * g.axis_x)},
        {rounded(hx + u * g.axis_y), rounded(hy - u * g.axis_x)},
        {rounded(hx + u * g.axis_y + u * g.axis_x), rounded(hy - u * g.axis_x + u * g.axis_y)},
        {rounded(hx - u * g.axis_y + u * g.axis_x), rounded(hy + u * g.axis_x + u * g.axis_y)},
    }};
}

}  // namespace panel

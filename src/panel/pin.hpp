#pragma once
// The pin button's geometry and animation: everything about it that needs no drawing.

#include <array>
#include <cstdint>
#include <optional>

#include "panel/image.hpp"
#include "state/rect.hpp"

namespace panel {

enum class PinDirection { Pinning, Unpinning };

struct PinProgress {
    double progress = 0.0;  // 0 rest unpinned, 1 fully pressed
    double wobble = 0.0;    // overshoot as a fraction of the push distance

    friend constexpr bool operator==(const PinProgress&, const PinProgress&) = default;
};

// Easing of the pin animation; nothing once it has finished.
[[nodiscard]] std::optional<PinProgress> pin_progress(std::uint64_t elapsed_ms,
                                                      PinDirection direction) noexcept;

// Where the glyph's needle tip is and along which axis the glyph lies, in em-box fractions.
struct PinGeometry {
    double tip_x = 0.01;
    double tip_y = 0.99;
    double axis_x = 0.7046;  // unit vector from the tip towards the glyph's centre of mass
    double axis_y = -0.7096;
    double length = 1.137;

    friend constexpr bool operator==(const PinGeometry&, const PinGeometry&) = default;
};

inline constexpr PinGeometry DEFAULT_PIN_GEOMETRY{};
inline constexpr std::int32_t PIN_MEASURE_SIZE = 128;

// Measures a white glyph drawn into a PIN_MEASURE_SIZE-square image (blue byte above 40 counts as
// glyph); the default geometry when the image is not that size or the glyph is too small.
[[nodiscard]] PinGeometry measure_pin_geometry(ConstImageView glyph);

// The pin's box and hit rectangle in a panel `panel_width` pixels wide: 16 DIPs square, 6 DIPs
// from the top and right edges.
[[nodiscard]] state::Rect pin_box(std::int32_t panel_width, std::uint32_t dpi) noexcept;

struct Offset {
    std::int32_t dx = 0;
    std::int32_t dy = 0;

    friend constexpr bool operator==(const Offset&, const Offset&) = default;
};

// How far the glyph moves towards its tip for a progress and wobble in a box of `box_size` pixels.
[[nodiscard]] Offset pin_push_offset(const PinGeometry& geometry, std::int32_t box_size,
                                     PinProgress state) noexcept;

using Point = state::Point;

// The clip polygon that keeps the glyph body's side of the line through the tip, perpendicular to
// the axis, so a pushed-in tip disappears.
[[nodiscard]] std::array<Point, 4> pin_clip_polygon(const PinGeometry& geometry,
                                                    const state::Rect& box) noexcept;

}  // namespace panel

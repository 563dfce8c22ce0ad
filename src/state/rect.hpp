#pragma once
// A point and a rectangle in screen or client pixels, edges as Windows gives them (right and bottom
// exclusive).

#include <cstdint>

namespace state {

struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;

    friend constexpr bool operator==(const Point&, const Point&) = default;
};

struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    [[nodiscard]] constexpr std::int32_t width() const noexcept { return right - left; }
    [[nodiscard]] constexpr std::int32_t height() const noexcept { return bottom - top; }
    [[nodiscard]] constexpr bool contains(std::int32_t x, std::int32_t y) const noexcept {
        return x >= left && x < right && y >= top && y < bottom;
    }
    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace state

#include <gtest/gtest.h>

#include <array>

#include "tray_icon/tray_pixels.hpp"

namespace {

TEST(TrayPixels, DrawnPixelsBecomeOpaqueAndEmptyOnesStayTransparent) {
    // Anti-aliased glyph edges are dark but not black: they too become opaque.
    std::array<std::uint32_t, 5> pixels = {0x00000000, 0x004A4A4A, 0x00010000, 0x00000001, 0x80FFFFFF};
    tray_icon::make_drawn_pixels_opaque(pixels);
    EXPECT_EQ(pixels,
              (std::array<std::uint32_t, 5>{0x00000000, 0xFF4A4A4A, 0xFF010000, 0xFF000001, 0xFFFFFFFF}));
}

}  // namespace

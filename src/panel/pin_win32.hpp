#pragma once
// The pin glyph with GDI: its one-time measurement and its drawing.

#include "native_interop/gdi_owners_win32.hpp"
#include "panel/draw_plan.hpp"
#include "panel/pin.hpp"
#include "platform/windows_win32.hpp"

namespace panel {

// "Segoe Fluent Icons", or "Segoe MDL2 Assets" (same code point) where it is not installed.
[[nodiscard]] const wchar_t* pin_font_face() noexcept;

// The glyph's tip and axis, measured once per process by rasterising it; the default geometry
// when that fails.
[[nodiscard]] PinGeometry pin_geometry() noexcept;

// The glyph's font at `height` pixels (the pin box's width when drawn).
[[nodiscard]] native_interop::Font make_pin_font(std::int32_t height, DWORD quality) noexcept;

// Draws the glyph in `font` (make_pin_font at the box's width) moved by the plan's offset and clipped at its
// tip.
void draw_pin(HDC dc, const PinGlyph& pin, HFONT font) noexcept;

// Publishes the unmoved box as the pin's hit rectangle (state::ui_values().pin_rect).
void publish_pin_rect(const PinGlyph& pin) noexcept;

}  // namespace panel

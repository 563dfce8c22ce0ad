#pragma once
// The panel's fonts kept across frames: making the text, header and pin fonts anew for every
// frame cost more than drawing with them. A bounded set of sizes (a few DPIs) lives for the
// process; it never grows past that, however often the DPI changes.

#include <array>
#include <cstdint>
#include <mutex>

#include "native_interop/gdi_owners_win32.hpp"

namespace panel {

// The three fonts of one frame; a null handle where GDI could not make one.
struct PanelFonts {
    HFONT text = nullptr;
    HFONT header = nullptr;
    HFONT pin = nullptr;
};

// The fonts for a frame whose texts are `font_height` pixels high and whose pin box is
// `pin_height` pixels wide, held for as long as the lease lives: no other frame can replace
// them meanwhile. One frame is drawn at a time.
class PanelFontLease {
  public:
    PanelFontLease(std::int32_t font_height, std::int32_t pin_height) noexcept;
    PanelFontLease(const PanelFontLease&) = delete;
    PanelFontLease& operator=(const PanelFontLease&) = delete;

    [[nodiscard]] const PanelFonts& fonts() const noexcept { return fonts_; }

  private:
    std::unique_lock<std::mutex> lock_;
    PanelFonts fonts_;
};

// How many fonts the cache holds at most: the three of four DPIs.
inline constexpr std::size_t PANEL_FONT_CACHE_CAPACITY = 12;

}  // namespace panel

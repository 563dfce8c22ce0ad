#pragma once
// The colours and shapes of the four panel themes.

#include <cstdint>
#include <optional>
#include <string_view>

#include "settings/settings_file.hpp"

namespace panel {

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    friend constexpr bool operator==(const Rgb&, const Rgb&) = default;
};

struct PanelPalette {
    std::optional<Rgb> border;      // always present
    std::optional<Rgb> claude_dot;  // absent: no dot before the header
    std::optional<Rgb> codex_dot;
    std::uint32_t corner_radius = 0;  // DIPs
    std::uint32_t bar_height = 0;     // DIPs
    Rgb background_top;
    Rgb background_bottom;
    Rgb claude_accent;
    Rgb codex_accent;
    Rgb claude_header;
    Rgb codex_header;
    Rgb label_text;
    Rgb muted_text;
    Rgb value_text;
    Rgb bar_track;
    Rgb separator;

    friend bool operator==(const PanelPalette&, const PanelPalette&) = default;
};

// The palette of a theme; an index outside the four gives MacVibrancy's.
[[nodiscard]] PanelPalette palette_for(settings::PanelTheme theme);

// "#RRGGBB" (any number of leading "#"); a component that is not two hex digits counts as 0.
[[nodiscard]] Rgb parse_hex_colour(std::string_view text) noexcept;

// The background of pixel row y in a panel `height` rows high: top and bottom interpolated per
// component, halves away from zero; the top colour for a one-row panel.
[[nodiscard]] Rgb background_row(const PanelPalette& palette, std::int32_t y, std::int32_t height) noexcept;

}  // namespace panel

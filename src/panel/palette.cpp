#include "panel/palette.hpp"

#include <algorithm>
#include <cmath>

namespace panel {
namespace {

int hex_digit(char c) noexcept {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::uint8_t component(std::string_view digits) noexcept {
    if (digits.size() < 2) {
        return 0;
    }
    const int high = hex_digit(digits[0]);
    const int low = hex_digit(digits[1]);
    return high < 0 || low < 0 ? 0 : static_cast<std::uint8_t>(high * 16 + low);
}

std::uint8_t mix(std::uint8_t top, std::uint8_t bottom, double t) noexcept {
    const double value = std::round(top + (bottom - top) * t);  // std::round: halves away from zero
    return static_cast<std::uint8_t>(std::clamp(value, 0.0, 255.0));
}

Rgb c(std::string_view hex) noexcept {
    return parse_hex_colour(hex);
}

}  // namespace

Rgb parse_hex_colour(std::string_view text) noexcept {
    const std::size_t start = text.find_first_not_of('#');
    text = start == std::string_view::npos ? std::string_view() : text.substr(start);
    const auto part = [&](std::size_t offset) {
        return offset < text.size() ? component(text.substr(offset, 2)) : std::uint8_t{0};
    };
    return Rgb{part(0), part(2), part(4)};
}

PanelPalette palette_for(settings::PanelTheme theme) {
    switch (theme) {
        case settings::PanelTheme::Win11Fluent:
            return {c("#3A3A40"),
                    std::nullopt,
                    std::nullopt,
                    8,
                    4,
                    c("#2B2B30"),
                    c("#202024"),
                    c("#D97757"),
                    c("#C9C9D0"),
                    c("#D97757"),
                    c("#C9C9D0"),
                    c("#A6A6AD"),
                    c("#A6A6AD"),
                    c("#DCDCE0"),
                    c("#3A3A40"),
                    c("#3A3A40")};
        case settings::PanelTheme::HybridDark:
            return {c("#2A2A30"), c("#D97757"), c("#C9C9D0"), 11,           5,
                    c("#17181C"), c("#17181C"), c("#D97757"), c("#C9C9D0"), c("#D97757"),
                    c("#C9C9D0"), c("#86868F"), c("#86868F"), c("#CDCDD4"), c("#2A2B30"),
                    c("#2A2A30")};
        case settings::PanelTheme::HybridLight:
            return {c("#E6E6EA"), c("#D97757"), c("#55555E"), 11,           5,
                    c("#FBFBFD"), c("#FBFBFD"), c("#D97757"), c("#55555E"), c("#D97757"),
                    c("#55555E"), c("#86868F"), c("#86868F"), c("#3A3A40"), c("#ECECEF"),
                    c("#ECECEF")};
        case settings::PanelTheme::MacVibrancy:
        default:
            return {c("#3A3A42"), std::nullopt, std::nullopt, 12,           5,
                    c("#1E1E22"), c("#1E1E22"), c("#D97757"), c("#C9C9D0"), c("#D97757"),
                    c("#C9C9D0"), c("#8E8E93"), c("#8E8E93"), c("#C7C7CC"), c("#2E2E34"),
                    c("#2A2A30")};
    }
}

Rgb background_row(const PanelPalette& palette, std::int32_t y, std::int32_t height) noexcept {
    const Rgb& top = palette.background_top;
    const Rgb& bottom = palette.background_bottom;
    if (top == bottom) {
        return top;
    }
    const double t = static_cast<double>(y) / static_cast<double>(std::max(height - 1, 1));
    return Rgb{mix(top.red, bottom.red, t), mix(top.green, bottom.green, t), mix(top.blue, bottom.blue, t)};
}

}  // namespace panel

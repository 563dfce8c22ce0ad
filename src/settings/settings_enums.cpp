#include <array>

#include "settings/settings_file.hpp"

namespace settings {
namespace {

constexpr std::array<std::string_view, 4> THEME_NAMES = {"mac-vibrancy", "win11-fluent", "hybrid-dark",
                                                         "hybrid-light"};
constexpr std::array<std::string_view, 3> METRIC_NAMES = {"both", "5h", "7d"};
constexpr std::array<std::string_view, 4> CORNER_NAMES = {"top-left", "top-right", "bottom-left",
                                                          "bottom-right"};
constexpr std::array<std::string_view, 3> LAYOUT_NAMES = {"columns", "vertical", "horizontal"};

template <typename Enum, std::size_t N>
std::optional<Enum> from_name(const std::array<std::string_view, N>& names, std::string_view name) noexcept {
    for (std::size_t i = 0; i < N; ++i) {
        if (names[i] == name) {
            return static_cast<Enum>(i);
        }
    }
    return std::nullopt;
}

}  // namespace

std::string_view json_name(PanelTheme value) noexcept { return THEME_NAMES[static_cast<std::size_t>(value)]; }
std::string_view json_name(TrayMetric value) noexcept { return METRIC_NAMES[static_cast<std::size_t>(value)]; }
std::string_view json_name(TrayCorner value) noexcept { return CORNER_NAMES[static_cast<std::size_t>(value)]; }
std::string_view json_name(PanelLayout value) noexcept { return LAYOUT_NAMES[static_cast<std::size_t>(value)]; }

std::optional<PanelTheme> panel_theme_from_json(std::string_view name) noexcept {
    return from_name<PanelTheme>(THEME_NAMES, name);
}
std::optional<TrayMetric> tray_metric_from_json(std::string_view name) noexcept {
    return from_name<TrayMetric>(METRIC_NAMES, name);
}
std::optional<TrayCorner> tray_corner_from_json(std::string_view name) noexcept {
    return from_name<TrayCorner>(CORNER_NAMES, name);
}
std::optional<PanelLayout> panel_layout_from_json(std::string_view name) noexcept {
    return from_name<PanelLayout>(LAYOUT_NAMES, name);
}

}  // namespace settings

#pragma once
// One frame of the panel as data: everything it draws, in order, with every rectangle in panel
// pixels. A backend only executes the list; the geometry lives here once.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "localization/language.hpp"
#include "localization/value_format.hpp"
#include "panel/layout.hpp"
#include "panel/palette.hpp"
#include "panel/pin.hpp"
#include "platform/clock.hpp"
#include "poller/usage_model.hpp"
#include "settings/settings_file.hpp"
#include "state/rect.hpp"
#include "state/ui_values.hpp"

namespace panel {

// What one frame is drawn from, copied out of the application state so no lock is held while
// drawing.
struct PanelFrameInput {
    std::vector<poller::UsageSnapshot> rows;  // the published usage list; empty before the first poll
    localization::Language language = localization::Language::English;
    settings::PanelTheme theme = settings::PanelTheme::HybridDark;
    settings::PanelLayout layout = settings::PanelLayout::Columns;
    std::uint32_t dpi = 96;
    PanelFit fit;  // the work area of the panel's monitor and the measured label column, at `dpi`
    bool pinned = false;
    std::optional<state::PinAnimation> pin_animation;
    platform::FileTime now = 0;  // for the value texts and the pin animation
    bool show_pace = false;       // a tick at the expected share, the run-out after the value text
    bool show_remaining = false;  // bars fill, and value texts say, the share left
};

enum class FontKind { Text, Header };
enum class TextFit { Clip, EndEllipsis };

// A filled rectangle without rounding (the separators).
struct FillRect {
    state::Rect rect;
    Rgb colour;

    friend bool operator==(const FillRect&, const FillRect&) = default;
};

// A filled rectangle with corners of `radius` pixels (header dots, bar tracks and fills).
struct RoundedRect {
    state::Rect rect;
    std::int32_t radius = 0;
    Rgb colour;

    friend bool operator==(const RoundedRect&, const RoundedRect&) = default;
};

// The outline: a rounded region of corner radius `radius` framed `thickness` pixels wide.
struct BorderFrame {
    state::Rect region;  // (0, 0, W + 1, H + 1)
    std::int32_t radius = 0;
    std::int32_t thickness = 1;
    Rgb colour;

    friend bool operator==(const BorderFrame&, const BorderFrame&) = default;
};

// One line of text, left-aligned and vertically centred in its rectangle.
struct TextItem {
    std::string text;  // UTF-8
    state::Rect rect;
    Rgb colour;
    FontKind font = FontKind::Text;
    TextFit fit = TextFit::Clip;

    friend bool operator==(const TextItem&, const TextItem&) = default;
};

// The pin glyph: drawn centred in `box` moved by `offset`, clipped to `clip`.
struct PinGlyph {
    state::Rect box;  // also the hit rectangle
    Offset offset;
    std::array<Point, 4> clip{};
    Rgb colour;

    friend bool operator==(const PinGlyph&, const PinGlyph&) = default;
};

using DrawCommand = std::variant<FillRect, RoundedRect, BorderFrame, TextItem, PinGlyph>;

struct DrawPlan {
    Size size;
    PanelPalette palette;          // the background rows come from it
    std::int32_t corner_px = 0;    // s(corner_radius), for the rounded alpha
    std::int32_t font_height = 0;  // character height of both fonts, s(12)
    std::vector<DrawCommand> commands;
};

inline constexpr std::string_view EMPTY_PANEL_HINT = "Right-click → Add account";
inline constexpr std::string_view UNAVAILABLE_TEXT = "(unavailable)";

// Where the pin animation stands at `now`: the easing while it runs, else the rest position.
[[nodiscard]] PinProgress pin_state(bool pinned, const std::optional<state::PinAnimation>& animation,
                                    platform::FileTime now) noexcept;

// Everything one frame draws, in drawing order.
[[nodiscard]] DrawPlan build_draw_plan(const PanelFrameInput& input, const PinGeometry& pin_geometry,
                                       localization::LocalTimeConversion to_local = platform::to_local_time);

}  // namespace panel

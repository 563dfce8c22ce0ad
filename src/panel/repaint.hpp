#pragma once
// Redrawing a kept frame: which commands of the next plan are drawn again over what the last
// plan left in the pixels, and where the background is restored first. A command that did not
// change keeps its pixels outside the areas that did, so a frame whose countdowns did not move,
// or where only the pin turned, costs little more than building its plan.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "panel/draw_plan.hpp"
#include "panel/image.hpp"

namespace panel {

// The corner squares the alpha pass rounds: top-left, top-right, bottom-left, bottom-right.
using CornerSet = std::array<bool, 4>;

// Appends the areas where executing `command` may change pixels of a frame of `size`, each
// limited to the frame: a rectangle (a text is clipped to its own), the border's edge strips,
// the pin's box grown by its width (the glyph is drawn unclipped by the box) within its clip
// polygon's bounds.
void append_command_areas(const DrawCommand& command, Size size, std::vector<state::Rect>& out);

// The corner squares of a frame `size` with rounding radius `radius_px`; none without rounding.
[[nodiscard]] std::vector<state::Rect> corner_squares(Size size, std::int32_t radius_px);

struct Repaint {
    std::vector<state::Rect> restore;   // brought back to the opaque background first
    std::vector<std::size_t> commands;  // indices into the plan's commands, in drawing order
    bool clipped = false;               // the commands draw only inside `restore`
    std::vector<state::Rect> opaque;    // where the drawn commands may leave alpha 0
    CornerSet corners{};                // rounded again afterwards
};

// Everything of `next` over pixels that hold anything: the whole background, every command,
// every corner.
[[nodiscard]] Repaint full_repaint(const DrawPlan& next);

// What turns a frame holding `previous`, drawn completely, into `next`. The areas that change
// are those of commands that went away, of commands with no equal one drawn before, and of
// overlapping unchanged commands that now come in the other order, with every corner square
// they touch whole. There the background is restored and every command of `next` with pixels
// there is drawn again, clipped to them; nothing else is touched. Different sizes,
// backgrounds, radii or font heights give the full repaint.
[[nodiscard]] Repaint plan_repaint(const DrawPlan& previous, const DrawPlan& next);

// What a kept frame's pixels hold between frames.
struct KeptFrame {
    std::optional<DrawPlan> drawn;               // the plan last drawn completely; nothing: unknown pixels
    std::vector<std::uint32_t> rows;             // the opaque background of each row ...
    std::optional<PanelPalette> rows_palette;    // ... of this palette
    std::array<std::uintptr_t, 3> drawn_with{};  // the backend's fonts for `drawn`
};

}  // namespace panel

#pragma once
// Drawing one panel frame with GDI, from a copied input, without touching any window: the window
// procedure's renderer, the picture gallery and the benchmark all draw through here.

#include <memory>

#include "localization/value_format.hpp"
#include "panel/dib_frame_win32.hpp"
#include "panel/draw_plan.hpp"

namespace panel {

// Executes a plan into `dc`, whose selected 32-bpp top-down DIB section has the bits `pixels`
// (caller-owned, plan.size large): the opaque background, the commands in order, then the
// premultiplied rounded alpha over the same bits. `kept` says what the bits hold: where they hold
// an earlier plan, only what changed is drawn again (the pixels come out as a full drawing
// would make them); afterwards it holds `plan`. Draws nothing when the sizes disagree.
void execute_draw_plan(DrawPlan plan, HDC dc, ImageView pixels, KeptFrame& kept) noexcept;

// The same into bits whose content is not known: every pixel is drawn.
void execute_draw_plan(const DrawPlan& plan, HDC dc, ImageView pixels) noexcept;

// Builds the plan of `input` and draws it into `frame`, which is kept when it has the frame's
// size (what changed since its last frame is drawn again) and replaced by a new DIB section
// otherwise. False, with `frame` possibly empty, when GDI cannot make the section.
[[nodiscard]] bool redraw_panel_frame(
    std::unique_ptr<DibFrame>& frame, const PanelFrameInput& input,
    localization::LocalTimeConversion to_local = platform::to_local_time) noexcept;

// Builds the plan of `input` (with the measured pin geometry) and draws it into a new DIB
// section of the frame's size; nothing when GDI cannot make one.
[[nodiscard]] std::unique_ptr<DibFrame> draw_panel_frame(
    const PanelFrameInput& input,
    localization::LocalTimeConversion to_local = platform::to_local_time) noexcept;

}  // namespace panel

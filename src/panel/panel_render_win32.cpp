// The window procedure's redraw of the panel: copy the inputs, draw, present.
#include "panel/panel_render_win32.hpp"

#include "diagnostics/log.hpp"
#include "panel/bar_labels.hpp"
#include "panel/label_width_win32.hpp"
#include "panel/panel_frame_win32.hpp"
#include "panel/panel_position_win32.hpp"
#include "panel/placement.hpp"
#include "panel/size_change.hpp"
#include "state/app_state.hpp"
#include "state/dpi.hpp"
#include "state/ui_values.hpp"

namespace panel {
namespace {

// The inputs of one frame and the window to show it in; nothing before start-up filled the state.
std::optional<std::pair<HWND, PanelFrameInput>> copy_inputs() {
    PanelFrameInput input;
    HWND hwnd = nullptr;
    {
        const auto guard = state::app_state().lock();
        if (!guard) {
            return std::nullopt;
        }
        hwnd = reinterpret_cast<HWND>(guard->hwnd);
        if (guard->usage) {
            input.rows = *guard->usage;
        }
        input.language = localization::drawn_language(guard->effective_language);
        input.theme = guard->panel_theme;
        input.layout = guard->panel_layout;
        input.pinned = guard->pinned;
        input.show_pace = guard->show_pace;
        input.show_remaining = guard->show_remaining;
    }
    // Its own lock, never held with the state lock.
    input.pin_animation = state::ui_values().pin_animation.get();
    return std::pair{hwnd, std::move(input)};
}

}  // namespace

void present_frame(HWND hwnd, const DibFrame& frame, void (*replace)()) noexcept {
    RECT before{};
    const bool known = GetWindowRect(hwnd, &before) != FALSE;
    const native_interop::WindowDc screen(nullptr);
    POINT source{0, 0};
    SIZE size{frame.width(), frame.height()};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    UpdateLayeredWindow(hwnd, screen.get(), nullptr, &size, frame.dc(), &source, 0, &blend, ULW_ALPHA);
    try {
        const std::optional<Size> previous =
            known ? std::optional<Size>(Size{before.right - before.left, before.bottom - before.top})
                  : std::nullopt;
        if (auto line = size_change_line(previous, Size{frame.width(), frame.height()},
                                         IsWindowVisible(hwnd) != FALSE)) {
            diagnostics::log_owned(std::move(*line));
            if (replace != nullptr) {
                replace();
            }
        }
    } catch (...) {
        // Out of memory for one log line: the panel keeps its place until the next frame.
    }
}

void render_panel() noexcept {
    try {
        auto inputs = copy_inputs();
        if (!inputs) {
            return;
        }
        auto& [hwnd, input] = *inputs;
        // Kept between frames (only the window procedure's thread redraws the panel): a new DIB
        // section is made only when the panel's size changed.
        static std::unique_ptr<DibFrame> frame;
        // A frame is drawn for the DPI and work area of the last placement, never for the
        // window's own DPI: both then agree on the size. When presenting it places the panel
        // anew on another monitor, the frame is drawn once more for that one.
        for (int pass = 0; pass < 2; ++pass) {
            const std::optional<FrameFit> fit = placed_fit().get();
            input.dpi = fit ? fit->dpi : state::system_dpi().load();
            input.fit.work = fit ? fit->area : std::nullopt;
            input.fit.label_column =
                measured_label_column(input.rows, input.language, input.dpi, widest_label);
            input.now = platform::precise_now();
            if (!redraw_panel_frame(frame, input)) {
                return;
            }
            present_frame(hwnd, *frame, [] { position_panel(); });
            if (placed_fit().get() == fit) {
                return;
            }
        }
    } catch (...) {
        // Nothing drawn; the previous image stays on screen.
    }
}

}  // namespace panel

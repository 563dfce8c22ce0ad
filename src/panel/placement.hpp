#pragma once
// Placing the panel: which monitor it belongs to, the DPI it is drawn at there, its size at that
// DPI within that monitor's work area and where it goes, decided over the window system's calls
// and then carried out.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "panel/display_system.hpp"
#include "panel/layout.hpp"
#include "settings/settings_file.hpp"
#include "state/app_state.hpp"
#include "state/dpi.hpp"
#include "state/rect.hpp"

namespace panel {

// What placing copies from the application state.
struct PlacementInput {
    state::WindowHandle hwnd = 0;
    std::optional<state::WindowHandle> taskbar;
    std::optional<state::Rect> corner_monitor;
    state::PanelAnchor anchor = state::PanelAnchor::Tray;
    settings::TrayCorner hot_corner = settings::TrayCorner::TopLeft;
};

// The DPI and the area a placement laid the panel out for: every frame until the next placement
// is drawn for the same, so drawing and placing never disagree about the panel's size.
struct FrameFit {
    std::uint32_t dpi = state::DEFAULT_DPI;
    std::optional<Size> area;

    friend bool operator==(const FrameFit&, const FrameFit&) = default;
};

// The last placement's fit, shared by the placing and the drawing code; nothing before the first.
class PlacedFit {
  public:
    [[nodiscard]] std::optional<FrameFit> get() const;
    void set(const FrameFit& fit);

  private:
    mutable std::mutex mutex_;
    std::optional<FrameFit> fit_;
};

// The process's one.
[[nodiscard]] PlacedFit& placed_fit() noexcept;

struct PanelPlacement {
    std::uint32_t dpi = 0;  // the DPI the size was computed at
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::optional<state::Rect> work;  // the work area it was kept inside, if one was known
    FrameFit fit;                     // what the size was computed for
    // The primary monitor's work area when the corner's monitor is gone or changed.
    std::optional<state::Rect> moved_to_primary;
    std::string log_line;  // the diagnostic line describing the choice
};

// The panel's size at a DPI, fitted into an area of that many pixels when one is given (the state's
// layout and rows in the program).
using PanelSizeAt = std::function<Size(std::uint32_t dpi, const std::optional<Size>& area)>;

// Chooses the monitor (the taskbar's for a tray-opened panel, the one the corner fired on for a
// corner-opened one, re-read now), switches to its DPI when it has one, sizes the panel at that DPI
// for its work area and places it. `dpi` is the DPI in force before the monitor is asked.
[[nodiscard]] PanelPlacement plan_placement(const PlacementInput& input, std::uint32_t dpi,
                                            DisplaySystem& displays, const PanelSizeAt& size_at);

// The whole of placing: copies the input under the state lock, refreshes `system_dpi` from the
// window and then from the monitor, writes the diagnostic line, records the fit in `fit` and moves
// the window. A corner-opened panel whose monitor went goes to the primary monitor, which the
// state then remembers. Nothing happens (and nothing is returned) while the state does not exist.
std::optional<PanelPlacement> position_panel(DisplaySystem& displays, state::StateSlot& slot,
                                             std::atomic<std::uint32_t>& system_dpi,
                                             const PanelSizeAt& size_at, PlacedFit& fit = placed_fit());

// Whether the cursor is in the hot corner (TopLeft when the state does not exist) of the monitor it
// is on; false when the cursor or its monitor cannot be read.
[[nodiscard]] bool cursor_in_hot_corner(DisplaySystem& displays, state::StateSlot& slot, std::uint32_t dpi);

// The work area of the monitor under the cursor: where a hot corner fires.
[[nodiscard]] std::optional<state::Rect> cursor_work_area(DisplaySystem& displays);

}  // namespace panel

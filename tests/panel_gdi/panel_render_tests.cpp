// The window procedure's redraw on a real layered window: nothing without a state, then frames
// presented at their size, and a visible panel that changed size logged and placed again.
#include <gtest/gtest.h>

#include "diagnostics/log.hpp"
#include "panel/panel_render_win32.hpp"
#include "state/app_state.hpp"
#include "state/ui_values.hpp"
#include "support/gui_available_win32.hpp"
#include "support/temp_folder.hpp"

namespace {

class LayeredWindow {
  public:
    LayeredWindow() {
        WNDCLASSW cls{};
        cls.lpfnWndProc = DefWindowProcW;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.lpszClassName = L"GaugeletRenderTest";
        RegisterClassW(&cls);
        hwnd_ = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, cls.lpszClassName, L"",
                                WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, cls.hInstance, nullptr);
    }
    ~LayeredWindow() {
        if (hwnd_ != nullptr) {
            DestroyWindow(hwnd_);
        }
    }
    LayeredWindow(const LayeredWindow&) = delete;
    LayeredWindow& operator=(const LayeredWindow&) = delete;

    [[nodiscard]] HWND get() const noexcept { return hwnd_; }
    [[nodiscard]] RECT rect() const noexcept {
        RECT r{};
        GetWindowRect(hwnd_, &r);
        return r;
    }

  private:
    HWND hwnd_ = nullptr;
};

poller::UsageSnapshot codex(std::string id) {
    return poller::UsageSnapshot{std::move(id), std::nullopt, poller::UsageData{}, accounts::Provider::Codex};
}

TEST(RenderPanel, DrawsNothingWithoutStateThenPresentsAndPlacesAgainAfterAResize) {
    GAUGELET_SKIP_WITHOUT_GUI();
    state::ui_values().pin_rect.set(std::nullopt);
    panel::render_panel();
    EXPECT_EQ(state::ui_values().pin_rect.get(), std::nullopt) << "no state: nothing drawn";

    const test_support::TempFolder folder("gaugelet-render");
    ASSERT_TRUE(diagnostics::open_log(folder / "gaugelet.log"));
    const LayeredWindow window;
    ASSERT_NE(window.get(), nullptr);
    state::AppState app;
    app.hwnd = reinterpret_cast<state::WindowHandle>(window.get());
    state::app_state().install(app);

    panel::render_panel();
    RECT r = window.rect();
    EXPECT_EQ(r.right - r.left, 322);
    EXPECT_EQ(r.bottom - r.top, 40);
    EXPECT_EQ(state::ui_values().pin_rect.get(), (state::Rect{300, 6, 316, 22}));
    EXPECT_EQ(test_support::read_text(folder / "gaugelet.log").find("size changed"), std::string::npos)
        << "hidden: no re-anchoring";

    ShowWindow(window.get(), SW_SHOWNOACTIVATE);
    {
        auto guard = state::app_state().lock();
        guard->usage = std::vector{codex("codex-1"), codex("codex-2")};
    }
    panel::render_panel();
    r = window.rect();
    EXPECT_EQ(r.bottom - r.top, 14 + 6 + 20 + 72 + 8 + 72);
    const std::string log = test_support::read_text(folder / "gaugelet.log");
    EXPECT_NE(log.find("render_layered size changed Some((322, 40)) -> 322x192; re-anchoring"),
              std::string::npos)
        << log;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_GT(r.left, 0) << "placed again at the tray corner, no longer at the origin";
    EXPECT_LE(r.right, work.right);
    EXPECT_LE(r.bottom, work.bottom);
}

}  // namespace

// The GDI backend of the panel's draw plan: one frame into a DIB section.
#include "panel/panel_frame_win32.hpp"

#include <type_traits>

#include "native_interop/gdi_owners_win32.hpp"
#include "panel/pin_win32.hpp"
#include "platform/wide_win32.hpp"

namespace panel {
namespace {

COLORREF colorref(Rgb c) noexcept {
    return RGB(c.red, c.green, c.blue);
}

native_interop::Font panel_font(std::int32_t height, int weight) noexcept {
    return native_interop::Font(CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                            OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                            DEFAULT_PITCH | FF_DONTCARE, L"Segoe UI"));
}

class Backend {
  public:
    Backend(HDC dc, const DrawPlan& plan) noexcept
        : dc_(dc),
          text_font_(panel_font(plan.font_height, 500)),
          header_font_(panel_font(plan.font_height, 700)) {}

    void operator()(const FillRect& item) const noexcept {
        const native_interop::Brush brush(CreateSolidBrush(colorref(item.colour)));
        const RECT r{item.rect.left, item.rect.top, item.rect.right, item.rect.bottom};
        ::FillRect(dc_, &r, brush.get());
    }

    void operator()(const RoundedRect& item) const noexcept {
        // A one-pixel pen of the fill colour makes RoundRect cover exactly the rectangle; with no
        // pen it would leave out the right column and the bottom row.
        const native_interop::Brush brush(CreateSolidBrush(colorref(item.colour)));
        const native_interop::Pen pen(CreatePen(PS_SOLID, 1, colorref(item.colour)));
        const native_interop::ScopedSelect with_brush(dc_, brush.get());
        const native_interop::ScopedSelect with_pen(dc_, pen.get());
        if (with_brush && with_pen) {
            RoundRect(dc_, item.rect.left, item.rect.top, item.rect.right, item.rect.bottom, 2 * item.radius,
                      2 * item.radius);
        }
    }

    void operator()(const BorderFrame& item) const noexcept {
        const native_interop::Region region(CreateRoundRectRgn(item.region.left, item.region.top,
                                                               item.region.right, item.region.bottom,
                                                               2 * item.radius, 2 * item.radius));
        const native_interop::Brush brush(CreateSolidBrush(colorref(item.colour)));
        if (region && brush) {
            FrameRgn(dc_, region.get(), brush.get(), item.thickness, item.thickness);
        }
    }

    void operator()(const TextItem& item) const noexcept {
        std::optional<std::wstring> wide;
        try {
            wide = platform::to_wide(item.text);
        } catch (...) {
            return;
        }
        if (!wide) {
            return;
        }
        const native_interop::Font& font = item.font == FontKind::Header ? header_font_ : text_font_;
        const native_interop::ScopedSelect selected(dc_, font.get());
        SetTextColor(dc_, colorref(item.colour));
        RECT r{item.rect.left, item.rect.top, item.rect.right, item.rect.bottom};
        // Labels are e-mail addresses and model names: an "&" is a character, not a mnemonic.
        UINT format = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
        if (item.fit == TextFit::EndEllipsis) {
            format |= DT_END_ELLIPSIS;
        }
        DrawTextW(dc_, wide->c_str(), static_cast<int>(wide->size()), &r, format);
    }

    void operator()(const PinGlyph& item) const noexcept { draw_pin(dc_, item); }

  private:
    HDC dc_;
    native_interop::Font text_font_;
    native_interop::Font header_font_;
};

}  // namespace

void execute_draw_plan(const DrawPlan& plan, HDC dc, ImageView pixels) noexcept {
    if (dc == nullptr || pixels.width != plan.size.width || pixels.height != plan.size.height ||
        pixels.pixels.empty()) {
        return;
    }
    GdiFlush();  // nothing GDI still has queued may land after the background
    fill_background(pixels, plan.palette);
    {
        const int old_mode = SetBkMode(dc, TRANSPARENT);
        const Backend backend(dc, plan);
        for (const DrawCommand& command : plan.commands) {
            std::visit(backend, command);
        }
        SetBkMode(dc, old_mode);
    }
    GdiFlush();
    apply_rounded_alpha(pixels, plan.corner_px);
}

std::unique_ptr<DibFrame> draw_panel_frame(const PanelFrameInput& input,
                                           localization::LocalTimeConversion to_local) noexcept {
    try {
        const DrawPlan plan = build_draw_plan(input, pin_geometry(), to_local);
        auto frame = DibFrame::create(plan.size.width, plan.size.height);
        if (frame) {
            execute_draw_plan(plan, frame->dc(), frame->pixels());
        }
        return frame;
    } catch (...) {
        return nullptr;  // out of memory while building the plan
    }
}

}  // namespace panel

// The GDI backend of the panel's draw plan: one frame into a DIB section.
#include "panel/panel_frame_win32.hpp"

#include <type_traits>

#include "native_interop/gdi_owners_win32.hpp"
#include "panel/panel_fonts_win32.hpp"
#include "panel/pin_win32.hpp"
#include "platform/wide_win32.hpp"

namespace panel {
namespace {

COLORREF colorref(Rgb c) noexcept {
    return RGB(c.red, c.green, c.blue);
}

// Fills and outlines use the DC's own brush and pen, recoloured per item: no GDI object is made
// for a rectangle.
class Backend {
  public:
    // `own_font` is the font selected into `dc` now; the caller selects it back afterwards.
    Backend(HDC dc, const PanelFonts& fonts, HGDIOBJ own_font) noexcept
        : dc_(dc), fonts_(fonts), own_font_(own_font), selected_(own_font) {}

    void operator()(const FillRect& item) const noexcept {
        SetDCBrushColor(dc_, colorref(item.colour));
        const RECT r{item.rect.left, item.rect.top, item.rect.right, item.rect.bottom};
        ::FillRect(dc_, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    }

    void operator()(const RoundedRect& item) const noexcept {
        // A one-pixel pen of the fill colour makes RoundRect cover exactly the rectangle; with no
        // pen it would leave out the right column and the bottom row. Both are the DC's, selected
        // once for the whole plan.
        SetDCBrushColor(dc_, colorref(item.colour));
        SetDCPenColor(dc_, colorref(item.colour));
        RoundRect(dc_, item.rect.left, item.rect.top, item.rect.right, item.rect.bottom, 2 * item.radius,
                  2 * item.radius);
    }

    void operator()(const BorderFrame& item) const noexcept {
        const native_interop::Region region(CreateRoundRectRgn(item.region.left, item.region.top,
                                                               item.region.right, item.region.bottom,
                                                               2 * item.radius, 2 * item.radius));
        if (region) {
            SetDCBrushColor(dc_, colorref(item.colour));
            FrameRgn(dc_, region.get(), static_cast<HBRUSH>(GetStockObject(DC_BRUSH)), item.thickness,
                     item.thickness);
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
        select_font(item.font == FontKind::Header ? fonts_.header : fonts_.text);
        SetTextColor(dc_, colorref(item.colour));
        RECT r{item.rect.left, item.rect.top, item.rect.right, item.rect.bottom};
        // Labels are e-mail addresses and model names: an "&" is a character, not a mnemonic.
        UINT format = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
        if (item.fit == TextFit::EndEllipsis) {
            format |= DT_END_ELLIPSIS;
        }
        DrawTextW(dc_, wide->c_str(), static_cast<int>(wide->size()), &r, format);
    }

    void operator()(const PinGlyph& item) const noexcept { draw_pin(dc_, item, fonts_.pin); }

  private:
    // Selecting a font costs more than drawing a short text with it: a font is selected only
    // when the next text needs another one. Without a font (GDI could not make it) the DC's own
    // font draws, as it would for a failed selection.
    void select_font(HFONT font) const noexcept {
        const HGDIOBJ wanted = font != nullptr ? font : own_font_;
        if (wanted != selected_ && wanted != nullptr) {
            SelectObject(dc_, wanted);
            selected_ = wanted;
        }
    }

    HDC dc_;
    const PanelFonts& fonts_;
    HGDIOBJ own_font_;
    mutable HGDIOBJ selected_;
};

// The pin box's width, which the pin font's height follows; the plan's last command.
std::int32_t pin_height(const DrawPlan& plan) noexcept {
    for (auto it = plan.commands.rbegin(); it != plan.commands.rend(); ++it) {
        if (const auto* pin = std::get_if<PinGlyph>(&*it)) {
            return pin->box.width();
        }
    }
    return plan.font_height;
}

}  // namespace

void execute_draw_plan(const DrawPlan& plan, HDC dc, ImageView pixels) noexcept {
    if (dc == nullptr || pixels.width != plan.size.width || pixels.height != plan.size.height ||
        pixels.pixels.empty()) {
        return;
    }
    GdiFlush();  // nothing GDI still has queued may land after the background
    fill_background(pixels, plan.palette);
    {
        const PanelFontLease fonts(plan.font_height, pin_height(plan));
        const native_interop::ScopedSelect with_brush(dc, GetStockObject(DC_BRUSH));
        const native_interop::ScopedSelect with_pen(dc, GetStockObject(DC_PEN));
        const HGDIOBJ own_font = GetCurrentObject(dc, OBJ_FONT);
        const int old_mode = SetBkMode(dc, TRANSPARENT);
        {
            const Backend backend(dc, fonts.fonts(), own_font);
            for (const DrawCommand& command : plan.commands) {
                std::visit(backend, command);
            }
        }
        if (own_font != nullptr) {
            SelectObject(dc, own_font);  // the kept fonts must not stay selected
        }
        SetBkMode(dc, old_mode);
    }
    GdiFlush();
    apply_rounded_alpha(pixels, plan.corner_px);
}

bool redraw_panel_frame(std::unique_ptr<DibFrame>& frame, const PanelFrameInput& input,
                        localization::LocalTimeConversion to_local) noexcept {
    try {
        const DrawPlan plan = build_draw_plan(input, pin_geometry(), to_local);
        if (!frame || frame->width() != plan.size.width || frame->height() != plan.size.height) {
            frame.reset();  // the old section goes before the new one is made
            frame = DibFrame::create(plan.size.width, plan.size.height);
        }
        if (!frame) {
            return false;
        }
        execute_draw_plan(plan, frame->dc(), frame->pixels());
        return true;
    } catch (...) {
        return false;  // out of memory while building the plan
    }
}

std::unique_ptr<DibFrame> draw_panel_frame(const PanelFrameInput& input,
                                           localization::LocalTimeConversion to_local) noexcept {
    std::unique_ptr<DibFrame> frame;
    return redraw_panel_frame(frame, input, to_local) ? std::move(frame) : nullptr;
}

}  // namespace panel

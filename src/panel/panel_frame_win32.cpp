// The GDI backend of the panel's draw plan: one frame into a DIB section.
#include "panel/panel_frame_win32.hpp"

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <type_traits>
#include <vector>

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

// The pin's command, the plan's last.
const PinGlyph* pin_of(const DrawPlan& plan) noexcept {
    for (auto it = plan.commands.rbegin(); it != plan.commands.rend(); ++it) {
        if (const auto* pin = std::get_if<PinGlyph>(&*it)) {
            return pin;
        }
    }
    return nullptr;
}

// One region of all the areas of a partial redraw; nothing when there is no memory for it.
native_interop::Region region_of(std::span<const state::Rect> areas) noexcept {
    try {
        std::vector<std::byte> data(sizeof(RGNDATAHEADER) + areas.size() * sizeof(RECT));
        auto* header = reinterpret_cast<RGNDATAHEADER*>(data.data());
        header->dwSize = sizeof(RGNDATAHEADER);
        header->iType = RDH_RECTANGLES;
        header->nCount = static_cast<DWORD>(areas.size());
        header->nRgnSize = static_cast<DWORD>(areas.size() * sizeof(RECT));
        RECT bounds{0, 0, 0, 0};
        auto* rects = reinterpret_cast<RECT*>(data.data() + sizeof(RGNDATAHEADER));
        for (std::size_t i = 0; i < areas.size(); ++i) {
            const state::Rect& a = areas[i];
            rects[i] = RECT{a.left, a.top, a.right, a.bottom};
            UnionRect(&bounds, &bounds, &rects[i]);
        }
        header->rcBound = bounds;
        return native_interop::Region(ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()),
                                                      reinterpret_cast<const RGNDATA*>(data.data())));
    } catch (...) {
        return native_interop::Region(nullptr);
    }
}

std::uintptr_t id_of(HFONT font) noexcept {
    return reinterpret_cast<std::uintptr_t>(font);
}

// Draws what `repaint` names. Without memory for a repaint list or the background rows, every
// pixel is drawn and the background comes straight from the palette.
void execute(const DrawPlan& plan, HDC dc, ImageView pixels, const PanelFonts& fonts, const Repaint* repaint,
             std::span<const std::uint32_t> rows) noexcept {
    const state::Rect whole{0, 0, plan.size.width, plan.size.height};
    if (rows.size() < static_cast<std::size_t>(plan.size.height)) {
        repaint = nullptr;
    }
    // A partial redraw is clipped to its areas: without that region, everything is drawn.
    native_interop::Region clip(nullptr);
    if (repaint != nullptr && repaint->clipped && !repaint->commands.empty()) {
        clip = region_of(repaint->restore);
        if (!clip) {
            repaint = nullptr;
        }
    }
    GdiFlush();  // nothing GDI still has queued may land after the background
    if (repaint != nullptr) {
        fill_rows(pixels, rows, repaint->restore);
    } else {
        fill_background(pixels, plan.palette);
    }
    {
        const native_interop::ScopedSelect with_brush(dc, GetStockObject(DC_BRUSH));
        const native_interop::ScopedSelect with_pen(dc, GetStockObject(DC_PEN));
        const HGDIOBJ own_font = GetCurrentObject(dc, OBJ_FONT);
        const int old_mode = SetBkMode(dc, TRANSPARENT);
        if (clip) {
            SelectClipRgn(dc, clip.get());  // the DC keeps a copy
        }
        {
            const Backend backend(dc, fonts, own_font);
            if (repaint != nullptr) {
                for (const std::size_t i : repaint->commands) {
                    std::visit(backend, plan.commands[i]);
                }
            } else {
                for (const DrawCommand& command : plan.commands) {
                    std::visit(backend, command);
                }
            }
        }
        if (own_font != nullptr) {
            SelectObject(dc, own_font);  // the kept fonts must not stay selected
        }
        SetBkMode(dc, old_mode);
        if (clip) {
            SelectClipRgn(dc, nullptr);
        }
    }
    GdiFlush();
    // GDI leaves alpha 0 where it drew; everywhere else the background is opaque already.
    if (repaint != nullptr) {
        make_opaque(pixels, repaint->opaque);
        round_corners(pixels, plan.corner_px, repaint->corners);
    } else {
        make_opaque(pixels, std::span(&whole, 1));
        round_corners(pixels, plan.corner_px);
    }
    if (const PinGlyph* pin = pin_of(plan)) {
        publish_pin_rect(*pin);
    }
}

}  // namespace

void execute_draw_plan(DrawPlan plan, HDC dc, ImageView pixels, KeptFrame& kept) noexcept {
    if (dc == nullptr || pixels.width != plan.size.width || pixels.height != plan.size.height ||
        pixels.pixels.empty()) {
        return;
    }
    const PinGlyph* pin = pin_of(plan);
    const PanelFontLease lease(plan.font_height, pin != nullptr ? pin->box.width() : plan.font_height);
    const PanelFonts& fonts = lease.fonts();
    const std::array<std::uintptr_t, 3> drawn_with{id_of(fonts.text), id_of(fonts.header), id_of(fonts.pin)};

    std::optional<Repaint> repaint;
    try {
        const bool known = kept.drawn && kept.drawn_with == drawn_with;
        repaint = known ? plan_repaint(*kept.drawn, plan) : full_repaint(plan);
        if (kept.rows_palette != plan.palette ||
            kept.rows.size() != static_cast<std::size_t>(plan.size.height)) {
            kept.rows_palette.reset();  // new rows, or none if there is no memory for them
            kept.rows = background_rows(plan.palette, plan.size.height);
            kept.rows_palette = plan.palette;
        }
    } catch (...) {
        repaint.reset();
    }
    // Until this frame is drawn whole, the pixels hold neither plan.
    kept.drawn.reset();
    execute(plan, dc, pixels, fonts, repaint ? &*repaint : nullptr, kept.rows);
    if (repaint && kept.rows.size() == static_cast<std::size_t>(plan.size.height)) {
        kept.drawn = std::move(plan);
        kept.drawn_with = drawn_with;
    }
}

void execute_draw_plan(const DrawPlan& plan, HDC dc, ImageView pixels) noexcept {
    if (dc == nullptr || pixels.width != plan.size.width || pixels.height != plan.size.height ||
        pixels.pixels.empty()) {
        return;
    }
    const PinGlyph* pin = pin_of(plan);
    const PanelFontLease lease(plan.font_height, pin != nullptr ? pin->box.width() : plan.font_height);
    std::optional<Repaint> repaint;
    std::vector<std::uint32_t> rows;
    try {
        repaint = full_repaint(plan);
        rows = background_rows(plan.palette, plan.size.height);
    } catch (...) {
        repaint.reset();
    }
    execute(plan, dc, pixels, lease.fonts(), repaint ? &*repaint : nullptr, rows);
}

bool redraw_panel_frame(std::unique_ptr<DibFrame>& frame, const PanelFrameInput& input,
                        localization::LocalTimeConversion to_local) noexcept {
    try {
        DrawPlan plan = build_draw_plan(input, pin_geometry(), to_local);
        if (!frame || frame->width() != plan.size.width || frame->height() != plan.size.height) {
            frame.reset();  // the old section goes before the new one is made
            frame = DibFrame::create(plan.size.width, plan.size.height);
        }
        if (!frame) {
            return false;
        }
        execute_draw_plan(std::move(plan), frame->dc(), frame->pixels(), frame->kept());
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

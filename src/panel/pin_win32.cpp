// The pin glyph with GDI: measuring it once and drawing it pushed in and clipped at the tip.
#include "panel/pin_win32.hpp"

#include <cwchar>
#include <mutex>

#include "native_interop/gdi_owners_win32.hpp"
#include "panel/dib_frame_win32.hpp"
#include "state/ui_values.hpp"

namespace panel {
namespace {

constexpr wchar_t PIN_GLYPH[] = L"\xE840";

int CALLBACK note_face(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) noexcept {
    *reinterpret_cast<bool*>(found) = true;
    return 0;  // one match is enough
}

bool font_installed(const wchar_t* face) noexcept {
    native_interop::MemoryDc dc(CreateCompatibleDC(nullptr));
    if (!dc) {
        return false;
    }
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(wanted.lfFaceName, face, LF_FACESIZE - 1);
    bool found = false;
    EnumFontFamiliesExW(dc.get(), &wanted, note_face, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

PinGeometry measure() noexcept {
    const auto frame = DibFrame::create(PIN_MEASURE_SIZE, PIN_MEASURE_SIZE);
    if (!frame) {
        return DEFAULT_PIN_GEOMETRY;
    }
    const native_interop::Font font = make_pin_font(PIN_MEASURE_SIZE, ANTIALIASED_QUALITY);
    {
        const native_interop::ScopedSelect selected(frame->dc(), font.get());
        SetBkMode(frame->dc(), TRANSPARENT);
        SetTextColor(frame->dc(), RGB(255, 255, 255));
        RECT box{0, 0, PIN_MEASURE_SIZE, PIN_MEASURE_SIZE};
        DrawTextW(frame->dc(), PIN_GLYPH, 1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
    }
    GdiFlush();
    return measure_pin_geometry(frame->pixels());
}

}  // namespace

const wchar_t* pin_font_face() noexcept {
    static const wchar_t* const face =
        font_installed(L"Segoe Fluent Icons") ? L"Segoe Fluent Icons" : L"Segoe MDL2 Assets";
    return face;
}

native_interop::Font make_pin_font(std::int32_t height, DWORD quality) noexcept {
    return native_interop::Font(CreateFontW(-height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                            OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, quality,
                                            DEFAULT_PITCH | FF_DONTCARE, pin_font_face()));
}

PinGeometry pin_geometry() noexcept {
    static std::once_flag once;
    static PinGeometry geometry = DEFAULT_PIN_GEOMETRY;
    std::call_once(once, [] { geometry = measure(); });
    return geometry;
}

void draw_pin(HDC dc, const PinGlyph& pin, HFONT font) noexcept {
    POINT corners[4];
    for (std::size_t i = 0; i < pin.clip.size(); ++i) {
        corners[i] = POINT{pin.clip[i].x, pin.clip[i].y};
    }
    const native_interop::Region clip(CreatePolygonRgn(corners, 4, WINDING));
    if (font != nullptr && clip) {
        // Within whatever clips the DC already (a partial redraw); the saved state, clip region
        // included, comes back afterwards.
        const int saved = SaveDC(dc);
        ExtSelectClipRgn(dc, clip.get(), RGN_AND);
        {
            const native_interop::ScopedSelect selected(dc, font);
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, RGB(pin.colour.red, pin.colour.green, pin.colour.blue));
            RECT moved{pin.box.left + pin.offset.dx, pin.box.top + pin.offset.dy,
                       pin.box.right + pin.offset.dx, pin.box.bottom + pin.offset.dy};
            DrawTextW(dc, PIN_GLYPH, 1, &moved, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
        }
        RestoreDC(dc, saved);
    }
}

void publish_pin_rect(const PinGlyph& pin) noexcept {
    try {
        state::ui_values().pin_rect.set(pin.box);
    } catch (...) {
        // A failed lock leaves the previous rectangle; the next frame publishes again.
    }
}

}  // namespace panel

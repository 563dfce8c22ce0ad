// The tray gauge drawn with GDI into a 32-bpp DIB section and turned into an icon.

#include "tray_icon/tray_icon_win32.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>

#include "tray_icon/tray_pixels.hpp"

// clang-format off
#include "platform/windows_win32.hpp"  // first: the shell header needs its definitions
#include <shellapi.h>
// clang-format on

namespace tray_icon {
namespace {

using native_interop::Bitmap;
using native_interop::Brush;
using native_interop::Font;
using native_interop::Icon;
using native_interop::MemoryDc;
using native_interop::ScopedSelect;

constexpr std::size_t PIXEL_COUNT = static_cast<std::size_t>(TRAY_ICON_SIZE) * TRAY_ICON_SIZE;

COLORREF colour_ref(panel::Rgb c) noexcept {
    return RGB(c.red, c.green, c.blue);
}

void fill(HDC dc, const state::Rect& r, panel::Rgb colour) noexcept {
    const Brush brush(CreateSolidBrush(colour_ref(colour)));
    if (!brush) {
        return;
    }
    const RECT rect{r.left, r.top, r.right, r.bottom};
    FillRect(dc, &rect, brush.get());
}

std::wstring module_path() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) {
            return {};
        }
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        if (path.size() >= 32768) {
            return {};
        }
        path.resize(path.size() * 2);
    }
}

// The program's own icon. A build without an icon resource (the test programs) shows the
// system's application icon instead of nothing, so the tray never holds an invisible icon the
// user could not right-click.
Icon program_icon() {
    if (Icon own = icon_from_file(module_path())) {
        return own;
    }
    // A copy, so the caller destroys it like every other icon (a shared icon must not be).
    return Icon(CopyIcon(LoadIconW(nullptr, IDI_APPLICATION)));
}

Icon draw_gauge(const TrayIconSpec& spec) {
    const MemoryDc dc(CreateCompatibleDC(nullptr));
    if (!dc) {
        return {};
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = TRAY_ICON_SIZE;
    info.bmiHeader.biHeight = -TRAY_ICON_SIZE;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    Bitmap colour(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!colour || bits == nullptr) {
        return {};
    }
    const std::span<std::uint32_t> pixels(static_cast<std::uint32_t*>(bits), PIXEL_COUNT);
    std::fill(pixels.begin(), pixels.end(), 0u);
    {
        const ScopedSelect bitmap_selected(dc.get(), colour.get());
        if (!bitmap_selected) {
            return {};
        }
        const ScopedSelect no_pen(dc.get(), GetStockObject(NULL_PEN));
        const Font font(CreateFontW(-34, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                    OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                                    DEFAULT_PITCH | FF_DONTCARE, L"Arial Bold"));
        const ScopedSelect font_selected(dc.get(), font.get());
        SetBkMode(dc.get(), TRANSPARENT);

        if (!spec.has_usage && spec.is_codex) {
            SetTextColor(dc.get(), colour_ref(spec.colour));
            RECT whole{0, 0, TRAY_ICON_SIZE, TRAY_ICON_SIZE};
            DrawTextW(dc.get(), L"C", 1, &whole, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
        for (const TrayBar& bar : tray_bars(spec)) {
            fill(dc.get(), bar.track, TRAY_TRACK_COLOUR);
            if (bar.fill_width > 0) {
                fill(dc.get(),
                     state::Rect{bar.track.left, bar.track.top, bar.track.left + bar.fill_width,
                                 bar.track.bottom},
                     spec.colour);
            }
        }
        // GDI may batch: everything must be in the bits before they are read.
        GdiFlush();
    }
    make_drawn_pixels_opaque(pixels);

    // An all-zero mask: the colour bitmap's alpha alone decides what shows.
    static constexpr std::array<std::uint8_t, PIXEL_COUNT / 8> zeros{};
    const Bitmap mask(CreateBitmap(TRAY_ICON_SIZE, TRAY_ICON_SIZE, 1, 1, zeros.data()));
    if (!mask) {
        return {};
    }
    ICONINFO icon{};
    icon.fIcon = TRUE;
    icon.hbmMask = mask.get();
    icon.hbmColor = colour.get();
    return Icon(CreateIconIndirect(&icon));
}

}  // namespace

Icon icon_from_file(const std::wstring& path) noexcept {
    if (path.empty()) {
        return {};
    }
    // One size per call, and the handle trusted only when exactly one icon came back: Wine
    // reports failure as 0 or UINT_MAX and may leave garbage in the handles.
    HICON small = nullptr;
    if (ExtractIconExW(path.c_str(), 0, nullptr, &small, 1) == 1 && small != nullptr) {
        return Icon(small);
    }
    HICON large = nullptr;
    if (ExtractIconExW(path.c_str(), 0, &large, nullptr, 1) == 1 && large != nullptr) {
        return Icon(large);
    }
    return {};
}

Icon make_tray_icon(const TrayIconSpec& spec) noexcept {
    try {
        if (!spec.has_usage && !spec.is_codex) {
            return program_icon();
        }
        return draw_gauge(spec);
    } catch (...) {
        // Out of memory: the shell gets no icon this time and is asked again at the next sync.
        return {};
    }
}

}  // namespace tray_icon

// The tray gauge: bars painted into a 32-bpp DIB section, the glyph drawn with GDI, made an icon.

#include "tray_icon/tray_icon_win32.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <mutex>
#include <span>

#include "tray_icon/tray_pixels.hpp"

// clang-format off
#include "platform/windows_win32.hpp"  // first: the shell header needs its definitions
#include <shellapi.h>
// clang-format on

namespace tray_icon {
namespace {

using native_interop::Bitmap;
using native_interop::Font;
using native_interop::Icon;
using native_interop::MemoryDc;
using native_interop::ScopedSelect;

constexpr std::size_t PIXEL_COUNT = static_cast<std::size_t>(TRAY_ICON_SIZE) * TRAY_ICON_SIZE;

COLORREF colour_ref(panel::Rgb c) noexcept {
    return RGB(c.red, c.green, c.blue);
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

// What every gauge is drawn with, made once and kept for the process: CreateIconIndirect copies
// the colour section and the mask, so one pair serves every icon, and the glyph's DC and font
// are the same each time. Icons are made one at a time.
class Canvas {
  public:
    // Draws `spec` into the section and makes the icon of it; nothing when GDI fails.
    Icon draw(const TrayIconSpec& spec) {
        const std::lock_guard lock(mutex_);
        if (!ready() && !make()) {
            return {};
        }
        const std::span<std::uint32_t> pixels(bits_, PIXEL_COUNT);
        std::fill(pixels.begin(), pixels.end(), 0u);
        if (!spec.has_usage && spec.is_codex && !draw_glyph(spec.colour)) {
            return {};
        }
        // The bars need no GDI: they are rectangles painted straight into the bits.
        paint_tray_bars(pixels, spec);
        make_drawn_pixels_opaque(pixels);
        ICONINFO icon{};
        icon.fIcon = TRUE;
        icon.hbmMask = mask_.get();
        icon.hbmColor = colour_.get();
        return Icon(CreateIconIndirect(&icon));
    }

  private:
    [[nodiscard]] bool ready() const noexcept { return colour_ && mask_ && dc_ && font_; }

    // All four or none: a half-made canvas is made again at the next icon.
    bool make() noexcept {
        void* bits = nullptr;
        Bitmap colour = native_interop::top_down_dib_section(nullptr, TRAY_ICON_SIZE, TRAY_ICON_SIZE, bits);
        // An all-zero mask: the colour bitmap's alpha alone decides what shows.
        static constexpr std::array<std::uint8_t, PIXEL_COUNT / 8> zeros{};
        Bitmap mask(CreateBitmap(TRAY_ICON_SIZE, TRAY_ICON_SIZE, 1, 1, zeros.data()));
        MemoryDc dc(CreateCompatibleDC(nullptr));
        Font font(CreateFontW(-34, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS,
                              CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                              L"Arial Bold"));
        if (!colour || bits == nullptr || !mask || !dc || !font) {
            return false;
        }
        colour_ = std::move(colour);
        bits_ = static_cast<std::uint32_t*>(bits);
        mask_ = std::move(mask);
        dc_ = std::move(dc);
        font_ = std::move(font);
        return true;
    }

    // The "C" of a Codex account without usage, centred in the section in the provider colour.
    // The section is selected only while drawing: the icon is made from it unselected.
    bool draw_glyph(panel::Rgb colour) noexcept {
        const ScopedSelect bitmap_selected(dc_.get(), colour_.get());
        if (!bitmap_selected) {
            return false;
        }
        const ScopedSelect font_selected(dc_.get(), font_.get());
        SetBkMode(dc_.get(), TRANSPARENT);
        SetTextColor(dc_.get(), colour_ref(colour));
        RECT whole{0, 0, TRAY_ICON_SIZE, TRAY_ICON_SIZE};
        DrawTextW(dc_.get(), L"C", 1, &whole, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        // GDI may batch: the glyph must be in the bits before they are read.
        GdiFlush();
        return true;
    }

    std::mutex mutex_;
    Bitmap colour_;
    std::uint32_t* bits_ = nullptr;
    Bitmap mask_;
    MemoryDc dc_;
    Font font_;
};

Icon draw_gauge(const TrayIconSpec& spec) {
    static Canvas canvas;
    return canvas.draw(spec);
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

#pragma once
// Owners for GDI objects, device contexts, icons, menus and registry keys, and a scoped
// SelectObject. Every owner counts what it holds, so a test can check that a thousand frames
// leave nothing behind even where GetGuiResources reports nothing (Wine).

#include <atomic>
#include <cstdint>

#include "platform/unique_handle.hpp"
#include "platform/windows_win32.hpp"

namespace native_interop {

// Objects adopted by the owners below and not yet released: GDI objects and memory DCs, icons,
// menus and registry keys each have their own count.
struct OwnedCounts {
    std::atomic<std::int64_t> gdi_objects{0};
    std::atomic<std::int64_t> icons{0};
    std::atomic<std::int64_t> menus{0};
    std::atomic<std::int64_t> registry_keys{0};
};
[[nodiscard]] inline OwnedCounts& owned_counts() noexcept {
    static OwnedCounts counts;
    return counts;
}

template <typename H, std::atomic<std::int64_t> OwnedCounts::*Count, auto Close>
struct CountedTraits {
    using Handle = H;
    static Handle invalid() noexcept { return nullptr; }
    static void adopted(Handle) noexcept { (owned_counts().*Count).fetch_add(1, std::memory_order_relaxed); }
    static void released(Handle) noexcept { (owned_counts().*Count).fetch_sub(1, std::memory_order_relaxed); }
    static void close(Handle h) noexcept {
        Close(h);
        released(h);
    }
};

inline void delete_gdi_object(HGDIOBJ h) noexcept { DeleteObject(h); }
inline void delete_dc(HDC h) noexcept { DeleteDC(h); }
inline void destroy_icon(HICON h) noexcept { DestroyIcon(h); }
inline void destroy_menu(HMENU h) noexcept { DestroyMenu(h); }
inline void close_key(HKEY h) noexcept { RegCloseKey(h); }

template <typename H>
using GdiObject = platform::UniqueHandle<CountedTraits<H, &OwnedCounts::gdi_objects, &delete_gdi_object>>;

using Bitmap = GdiObject<HBITMAP>;
using Font = GdiObject<HFONT>;
using Region = GdiObject<HRGN>;
using Brush = GdiObject<HBRUSH>;
using Pen = GdiObject<HPEN>;
// A DC made by CreateCompatibleDC or CreateDCW (deleted with DeleteDC).
using MemoryDc = platform::UniqueHandle<CountedTraits<HDC, &OwnedCounts::gdi_objects, &delete_dc>>;
using Icon = platform::UniqueHandle<CountedTraits<HICON, &OwnedCounts::icons, &destroy_icon>>;
using Menu = platform::UniqueHandle<CountedTraits<HMENU, &OwnedCounts::menus, &destroy_menu>>;
using RegistryKey = platform::UniqueHandle<CountedTraits<HKEY, &OwnedCounts::registry_keys, &close_key>>;

// A window's DC from GetDC, given back with ReleaseDC. GetDC(nullptr) is the screen's DC.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) noexcept : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    ~WindowDc() {
        if (dc_ != nullptr) {
            ReleaseDC(hwnd_, dc_);
        }
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    [[nodiscard]] HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND hwnd_;
    HDC dc_;
};

// Selects an object into a DC and selects the previous one back when it goes out of scope, so an
// owner can delete its object afterwards (a selected object cannot be deleted).
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) noexcept
        : dc_(dc), old_(dc != nullptr && object != nullptr ? SelectObject(dc, object) : nullptr) {}
    ~ScopedSelect() {
        if (old_ != nullptr && old_ != HGDI_ERROR) {
            SelectObject(dc_, old_);
        }
    }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

    // False when the object could not be selected.
    explicit operator bool() const noexcept { return old_ != nullptr && old_ != HGDI_ERROR; }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A 32-bpp top-down DIB section (one word per pixel: blue, green, red, alpha) and its bits; an
// empty owner and null bits when GDI cannot make it.
inline Bitmap top_down_dib_section(HDC dc, std::int32_t width, std::int32_t height, void*& bits) noexcept {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    bits = nullptr;
    Bitmap section(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!section) {
        bits = nullptr;
    }
    return section;
}

}  // namespace native_interop

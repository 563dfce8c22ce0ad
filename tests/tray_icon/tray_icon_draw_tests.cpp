#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "panel/palette.hpp"
#include "support/gui_available_win32.hpp"
#include "tray_icon/tray_icon_win32.hpp"

namespace {

using native_interop::Bitmap;
using native_interop::Icon;
using tray_icon::TrayIconSpec;

const panel::PanelPalette PALETTE = panel::palette_for(settings::PanelTheme::HybridDark);

struct IconPixels {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint32_t> pixels;  // 0xAARRGGBB, top row first

    [[nodiscard]] std::uint32_t at(std::int32_t x, std::int32_t y) const {
        return pixels[static_cast<std::size_t>(y * width + x)];
    }
};

// The icon's colour bitmap read back as 32-bpp top-down pixels.
IconPixels read_icon(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) {
        ADD_FAILURE() << "GetIconInfo failed";
        return {};
    }
    const Bitmap colour(info.hbmColor);
    const Bitmap mask(info.hbmMask);
    BITMAP bm{};
    GetObjectW(colour.get(), sizeof bm, &bm);
    IconPixels out{bm.bmWidth, bm.bmHeight, {}};
    out.pixels.resize(static_cast<std::size_t>(bm.bmWidth) * static_cast<std::size_t>(bm.bmHeight));
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = bm.bmWidth;
    bmi.bmiHeader.biHeight = -bm.bmHeight;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    const native_interop::MemoryDc dc(CreateCompatibleDC(nullptr));
    EXPECT_EQ(GetDIBits(dc.get(), colour.get(), 0, static_cast<UINT>(bm.bmHeight), out.pixels.data(), &bmi,
                        DIB_RGB_COLORS),
              bm.bmHeight);
    return out;
}

constexpr std::uint32_t opaque(panel::Rgb c) {
    return 0xFF000000u | (std::uint32_t{c.red} << 16) | (std::uint32_t{c.green} << 8) | c.blue;
}

TrayIconSpec gauge(bool is_codex, double primary, std::optional<double> secondary) {
    TrayIconSpec spec;
    spec.has_usage = true;
    spec.is_codex = is_codex;
    spec.colour = is_codex ? PALETTE.codex_accent : PALETTE.claude_accent;
    spec.primary = primary;
    spec.two_bars = secondary.has_value();
    spec.secondary = secondary.value_or(0.0);
    return spec;
}

TEST(MakeTrayIcon, DrawsTheBarsOverTheTrackWithTransparentGaps) {
    GAUGELET_SKIP_WITHOUT_GUI();
    const std::uint32_t track = opaque(tray_icon::TRAY_TRACK_COLOUR);
    struct Probe {
        std::int32_t x, y;
        bool fill;  // provider colour, else the track; a gap is checked separately
    };
    struct Case {
        const char* name;
        TrayIconSpec spec;
        std::vector<Probe> probes;
        std::vector<std::int32_t> transparent_rows;
    };
    const Case cases[] = {
        // Two 30-pixel bars 4 apart: 50 % fills 32 pixels, 1 % one pixel.
        {"claude 50 / 1",
         gauge(false, 50, 1),
         {{0, 0, true},
          {31, 29, true},
          {32, 0, false},
          {63, 29, false},
          {0, 34, true},
          {1, 34, false},
          {63, 63, false}},
         {30, 33}},
        {"codex 1 / 50",
         gauge(true, 1, 50),
         {{0, 15, true}, {1, 15, false}, {31, 50, true}, {32, 50, false}},
         {31, 32}},
        // One full-height bar; 0.7 % rounds to no fill at all.
        {"one bar 0.7",
         gauge(false, 0.7, std::nullopt),
         {{0, 0, false}, {0, 63, false}, {63, 31, false}},
         {}},
        {"one bar 130", gauge(true, 130, std::nullopt), {{0, 0, true}, {63, 63, true}}, {}},
    };
    for (const Case& c : cases) {
        const Icon icon = tray_icon::make_tray_icon(c.spec);
        ASSERT_TRUE(icon) << c.name;
        const IconPixels image = read_icon(icon.get());
        ASSERT_EQ(image.width, 64) << c.name;
        ASSERT_EQ(image.height, 64) << c.name;
        for (const Probe& p : c.probes) {
            EXPECT_EQ(image.at(p.x, p.y), p.fill ? opaque(c.spec.colour) : track)
                << c.name << " at " << p.x << "," << p.y;
        }
        for (const std::int32_t y : c.transparent_rows) {
            for (std::int32_t x = 0; x < 64; ++x) {
                ASSERT_EQ(image.at(x, y), 0u) << c.name << " gap at " << x << "," << y;
            }
        }
    }
}

TEST(MakeTrayIcon, CodexWithoutUsageIsACInTheCodexColour) {
    GAUGELET_SKIP_WITHOUT_GUI();
    TrayIconSpec spec;
    spec.is_codex = true;
    spec.colour = PALETTE.codex_accent;
    const Icon icon = tray_icon::make_tray_icon(spec);
    ASSERT_TRUE(icon);
    const IconPixels image = read_icon(icon.get());
    ASSERT_EQ(image.pixels.size(), 64u * 64u);
    std::size_t in_colour = 0;
    std::size_t other = 0;
    for (const std::uint32_t p : image.pixels) {
        if (p == opaque(spec.colour)) {
            ++in_colour;
        } else if (p != 0 && (p >> 24) != 0xFF) {
            ++other;  // drawn but not opaque
        }
    }
    EXPECT_GT(in_colour, 20u) << "the glyph's strokes";
    EXPECT_EQ(other, 0u) << "every drawn pixel is opaque";
    EXPECT_EQ(image.at(0, 0), 0u) << "the corners stay transparent";
    EXPECT_EQ(image.at(63, 63), 0u);
}

TEST(MakeTrayIcon, ClaudeWithoutUsageShowsAnIcon) {
    GAUGELET_SKIP_WITHOUT_GUI();
    // The test program has no icon of its own: the system's application icon stands in.
    TrayIconSpec placeholder;
    placeholder.uid = tray_icon::PLACEHOLDER_UID;
    placeholder.colour = PALETTE.claude_accent;
    const Icon icon = tray_icon::make_tray_icon(placeholder);
    ASSERT_TRUE(icon);
    const IconPixels image = read_icon(icon.get());
    EXPECT_GT(image.width, 0);

    // A file that has icons gives its first.
    wchar_t system[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
    EXPECT_TRUE(tray_icon::icon_from_file(std::wstring(system) + L"\\shell32.dll"));
    EXPECT_FALSE(tray_icon::icon_from_file(L"Z:\\no\\such\\file.exe"));
    EXPECT_FALSE(tray_icon::icon_from_file(L""));
}

TEST(MakeTrayIcon, AThousandIconsLeaveNothingOwned) {
    GAUGELET_SKIP_WITHOUT_GUI();
    auto& counts = native_interop::owned_counts();
    TrayIconSpec no_usage_codex;
    no_usage_codex.is_codex = true;
    const TrayIconSpec specs[] = {gauge(false, 50, 20), gauge(true, 70, std::nullopt), no_usage_codex,
                                  TrayIconSpec{}};
    // The first icons make what every later one is drawn with, once for the process.
    for (const TrayIconSpec& spec : specs) {
        ASSERT_TRUE(tray_icon::make_tray_icon(spec));
    }
    const std::int64_t gdi_before = counts.gdi_objects.load();
    const std::int64_t icons_before = counts.icons.load();
    const DWORD gui_before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    for (int i = 0; i < 1000; ++i) {
        const Icon icon = tray_icon::make_tray_icon(specs[i % 4]);
        ASSERT_TRUE(icon) << i;
        EXPECT_EQ(counts.icons.load(), icons_before + 1);
    }
    EXPECT_EQ(counts.gdi_objects.load(), gdi_before);
    EXPECT_EQ(counts.icons.load(), icons_before);
    // Wine reports 0 here; Windows counts the process's real GDI objects.
    EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gui_before + 5);
}

}  // namespace

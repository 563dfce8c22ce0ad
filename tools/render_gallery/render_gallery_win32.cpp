// render_gallery OUTDIR: draws fixed panel and tray scenes with the real renderer into PNG files,
// for review. The clock and the time zone are fixed, so every run gives the same pictures (on one
// system: fonts differ between Windows and Wine). Prints the name of every file written.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "native_interop/gdi_owners_win32.hpp"
#include "panel/bar_labels.hpp"
#include "panel/label_width_win32.hpp"
#include "panel/panel_frame_win32.hpp"
#include "platform/wide_win32.hpp"
#include "png_file_win32.hpp"
#include "tray_icon/tray_icon_win32.hpp"

// After the Windows header, which they need.
#include <objbase.h>
#include <shellapi.h>

namespace {

using accounts::Provider;
using platform::FileTime;
using settings::PanelLayout;
using settings::PanelTheme;

constexpr FileTime SECOND = platform::FILETIME_TICKS_PER_SECOND;
constexpr FileTime MINUTE = 60 * SECOND;
constexpr FileTime HOUR = 60 * MINUTE;
constexpr FileTime DAY = 24 * HOUR;
// 2026-12-08 04:04:00 UTC.
constexpr FileTime NOW = platform::FILETIME_UNIX_EPOCH + 1'796'702'640ULL * SECOND;

// The pictures' time zone is UTC, whatever the machine's.
std::optional<platform::LocalTime> utc(FileTime t) noexcept {
    const auto seconds = static_cast<std::int64_t>(platform::unix_seconds(t));
    const std::int64_t days = seconds / 86400;
    // Civil date from a day count (days since 1970-01-01), proleptic Gregorian.
    const std::int64_t z = days + 719468;
    const std::int64_t era = z / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t day = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    const std::int64_t in_day = seconds % 86400;
    return platform::LocalTime{
        static_cast<std::int32_t>(year),          static_cast<std::int32_t>(month),
        static_cast<std::int32_t>(day),           static_cast<std::int32_t>((days + 4) % 7),
        static_cast<std::int32_t>(in_day / 3600), static_cast<std::int32_t>(in_day % 3600 / 60),
        static_cast<std::int32_t>(in_day % 60)};
}

poller::UsageBar bar(double percent, FileTime from_now) {
    return {percent, NOW + from_now};
}

// A Claude account with two model bars, a Codex account, a failed account and an address too long
// for its line.
std::vector<poller::UsageSnapshot> mixed_accounts() {
    poller::UsageData claude;
    claude.five_hour = bar(37, 2 * HOUR + 56 * MINUTE);
    claude.seven_day = bar(62.5, 3 * DAY + 14 * HOUR);
    claude.model_bars = {{"Opus", bar(18, 3 * DAY + 14 * HOUR)}, {"Sonnet", bar(44, 3 * DAY + 14 * HOUR)}};
    poller::UsageData codex;
    codex.five_hour = bar(9, 5 * HOUR + 56 * MINUTE);
    codex.seven_day = bar(41, 4 * DAY + 15 * HOUR);
    poller::UsageData busy;
    busy.five_hour = bar(0.4, 45 * SECOND);
    busy.seven_day = bar(100, 20 * HOUR);
    return {
        {"claude-1", "dev@example.com", claude, Provider::Claude},
        {"codex-1", "work@example.com", codex, Provider::Codex},
        {"claude-2", std::nullopt, std::nullopt, Provider::Claude},
        {"claude-3", "a.very.long.address.that.needs.an.ellipsis@some-company.example.com", busy,
         Provider::Claude},
    };
}

// 24 accounts: mostly Claude with one or two model bars, every fourth Codex, two failed fetches.
std::vector<poller::UsageSnapshot> many_accounts() {
    std::vector<poller::UsageSnapshot> rows;
    for (int i = 0; i < 24; ++i) {
        const bool codex = i % 4 == 3;
        poller::UsageData data;
        data.five_hour = bar(7.0 + 13 * (i % 7), (1 + i % 5) * HOUR + 10 * MINUTE);
        data.seven_day = bar(20.0 + 9 * (i % 9), (1 + i % 6) * DAY + 3 * HOUR);
        if (!codex) {
            data.model_bars.push_back({"Sonnet", bar(5.0 + 11 * (i % 8), 2 * DAY)});
            if (i % 3 == 0) {
                data.model_bars.push_back({"Opus", bar(3.0 + 7 * (i % 5), 2 * DAY)});
            }
        }
        const std::string id = (codex ? "codex-" : "claude-") + std::to_string(i + 1);
        std::optional<poller::UsageData> usage = data;
        if (i == 9 || i == 17) {
            usage.reset();
        }
        rows.push_back({id, id + "@example.com", usage, codex ? Provider::Codex : Provider::Claude});
    }
    return rows;
}

// The label column as the program measures it for the input's rows.
void measure_labels(panel::PanelFrameInput& input) {
    input.fit.label_column =
        panel::measured_label_column(input.rows, input.language, input.dpi, panel::widest_label);
}

constexpr PanelTheme THEMES[] = {PanelTheme::MacVibrancy, PanelTheme::Win11Fluent, PanelTheme::HybridDark,
                                 PanelTheme::HybridLight};
constexpr PanelLayout LAYOUTS[] = {PanelLayout::Columns, PanelLayout::Vertical, PanelLayout::Horizontal};

const char* theme_name(PanelTheme theme) {
    switch (theme) {
        case PanelTheme::MacVibrancy:
            return "mac-vibrancy";
        case PanelTheme::Win11Fluent:
            return "win11-fluent";
        case PanelTheme::HybridDark:
            return "hybrid-dark";
        case PanelTheme::HybridLight:
            return "hybrid-light";
    }
    return "theme";
}

const char* layout_name(PanelLayout layout) {
    switch (layout) {
        case PanelLayout::Columns:
            return "columns";
        case PanelLayout::Vertical:
            return "vertical";
        case PanelLayout::Horizontal:
            return "horizontal";
    }
    return "layout";
}

class Gallery {
  public:
    explicit Gallery(std::filesystem::path folder) : folder_(std::move(folder)) {}

    [[nodiscard]] int failures() const noexcept { return failures_; }

    void panel(const std::string& name, const panel::PanelFrameInput& input) {
        const auto frame = panel::draw_panel_frame(input, utc);
        if (!frame) {
            fail(name, "could not draw the frame");
            return;
        }
        // The window takes premultiplied pixels; a PNG file holds straight ones.
        const panel::ImageView px = frame->pixels();
        std::vector<std::uint32_t> straight(px.pixels.begin(), px.pixels.end());
        for (std::uint32_t& value : straight) {
            const std::uint32_t alpha = value >> 24;
            if (alpha != 0 && alpha != 255) {
                const auto unscale = [alpha](std::uint32_t c) {
                    return std::min(255u, (c * 255 + alpha / 2) / alpha);
                };
                value = (alpha << 24) | (unscale((value >> 16) & 0xFF) << 16) |
                        (unscale((value >> 8) & 0xFF) << 8) | unscale(value & 0xFF);
            }
        }
        write(name, px.width, px.height, straight);
    }

    void tray(const std::string& name, const tray_icon::TrayIconSpec& spec) {
        const native_interop::Icon icon = tray_icon::make_tray_icon(spec);
        ICONINFO info{};
        if (!icon || !GetIconInfo(icon.get(), &info)) {
            fail(name, "no icon");
            return;
        }
        const native_interop::Bitmap colour(info.hbmColor);
        const native_interop::Bitmap mask(info.hbmMask);
        BITMAP shape{};
        if (!colour || GetObjectW(colour.get(), sizeof(shape), &shape) == 0) {
            fail(name, "no colour bitmap");
            return;
        }
        BITMAPINFO bmi{};
        bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
        bmi.bmiHeader.biWidth = shape.bmWidth;
        bmi.bmiHeader.biHeight = -shape.bmHeight;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        bmi.bmiHeader.biCompression = BI_RGB;
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(shape.bmWidth) * shape.bmHeight);
        const native_interop::WindowDc screen(nullptr);
        if (GetDIBits(screen.get(), colour.get(), 0, static_cast<UINT>(shape.bmHeight), pixels.data(), &bmi,
                      DIB_RGB_COLORS) == 0) {
            fail(name, "could not read the icon");
            return;
        }
        write(name, shape.bmWidth, shape.bmHeight, pixels);
    }

  private:
    void write(const std::string& name, std::int32_t width, std::int32_t height,
               const std::vector<std::uint32_t>& pixels) {
        if (!gallery::write_png(folder_ / name, width, height, pixels)) {
            fail(name, "could not write the PNG file");
            return;
        }
        std::printf("%s\n", name.c_str());
    }

    void fail(const std::string& name, const char* why) {
        std::fprintf(stderr, "%s: %s\n", name.c_str(), why);
        ++failures_;
    }

    std::filesystem::path folder_;
    int failures_ = 0;
};

void panels(Gallery& gallery) {
    for (const std::uint32_t dpi : {96u, 144u}) {
        const std::string suffix = dpi == 96 ? ".png" : "-144dpi.png";
        for (const PanelTheme theme : THEMES) {
            panel::PanelFrameInput input;
            input.theme = theme;
            input.dpi = dpi;
            input.now = NOW;
            gallery.panel(std::string("panel-") + theme_name(theme) + "-empty" + suffix, input);
            input.rows = mixed_accounts();
            measure_labels(input);
            for (const PanelLayout layout : LAYOUTS) {
                input.layout = layout;
                gallery.panel(std::string("panel-") + theme_name(theme) + "-" + layout_name(layout) + suffix,
                              input);
            }
        }
    }
}

// Many accounts fitted to a small screen: the work area of 1366 × 768 with a 40-pixel taskbar.
void many_accounts_on_a_small_screen(Gallery& gallery) {
    panel::PanelFrameInput input;
    input.theme = PanelTheme::HybridDark;
    input.now = NOW;
    input.rows = many_accounts();
    input.fit.work = panel::Size{1366, 768 - 40};
    measure_labels(input);
    for (const PanelLayout layout : LAYOUTS) {
        input.layout = layout;
        gallery.panel(std::string("panel-24-accounts-1366x768-") + layout_name(layout) + ".png", input);
    }
}

// A Claude account ahead of pace on its five-hour and weekly bars, and a Codex account.
std::vector<poller::UsageSnapshot> pace_accounts() {
    poller::UsageData claude;
    claude.five_hour = bar(72, 2 * HOUR + 56 * MINUTE);
    claude.seven_day = bar(62.5, 3 * DAY + 14 * HOUR);
    claude.model_bars = {{"Opus", bar(18, 3 * DAY + 14 * HOUR)}, {"Sonnet", bar(44, 3 * DAY + 14 * HOUR)}};
    poller::UsageData codex;
    codex.five_hour = bar(9, 5 * HOUR + 56 * MINUTE);
    codex.seven_day = bar(41, 4 * DAY + 15 * HOUR);
    return {{"claude-1", "dev@example.com", claude, Provider::Claude},
            {"codex-1", "work@example.com", codex, Provider::Codex}};
}

// The pace ticks with run-out times, and the remaining shares, in the dark and light themes.
void pace_and_remaining(Gallery& gallery) {
    for (const PanelTheme theme : {PanelTheme::HybridDark, PanelTheme::HybridLight}) {
        panel::PanelFrameInput input;
        input.theme = theme;
        input.now = NOW;
        input.rows = pace_accounts();
        measure_labels(input);
        input.show_pace = true;
        gallery.panel(std::string("panel-") + theme_name(theme) + "-pace.png", input);
        input.show_pace = false;
        input.show_remaining = true;
        gallery.panel(std::string("panel-") + theme_name(theme) + "-remaining.png", input);
    }
}

void pin_frames(Gallery& gallery) {
    for (const FileTime ms : {0u, 115u, 172u, 230u, 305u}) {
        panel::PanelFrameInput input;
        input.now = NOW;
        input.pinned = true;
        input.pin_animation = state::PinAnimation{NOW - ms * platform::FILETIME_TICKS_PER_MILLISECOND, true};
        char name[32];
        std::snprintf(name, sizeof(name), "pin-%03ums.png", static_cast<unsigned>(ms));
        gallery.panel(name, input);
    }
}

void tray_icons(Gallery& gallery) {
    const panel::PanelPalette palette = panel::palette_for(PanelTheme::HybridDark);
    const struct {
        const char* name;
        bool two_bars;
        double primary;
    } metrics[] = {{"both", true, 37}, {"5h", false, 37}, {"7d", false, 62.5}};
    for (const bool codex : {false, true}) {
        for (const auto& metric : metrics) {
            tray_icon::TrayIconSpec spec;
            spec.has_usage = true;
            spec.primary = codex ? metric.primary / 2 : metric.primary;
            spec.two_bars = metric.two_bars;
            spec.secondary = codex ? 41 : 62.5;
            spec.is_codex = codex;
            spec.colour = codex ? palette.codex_accent : palette.claude_accent;
            gallery.tray(std::string("tray-") + (codex ? "codex-" : "claude-") + metric.name + ".png", spec);
        }
    }
    tray_icon::TrayIconSpec claude_without;
    claude_without.colour = palette.claude_accent;
    gallery.tray("tray-claude-no-usage.png", claude_without);
    tray_icon::TrayIconSpec codex_without;
    codex_without.is_codex = true;
    codex_without.colour = palette.codex_accent;
    gallery.tray("tray-codex-no-usage.png", codex_without);
    tray_icon::TrayIconSpec placeholder;
    placeholder.uid = tray_icon::PLACEHOLDER_UID;
    placeholder.colour = palette.claude_accent;
    gallery.tray("tray-placeholder.png", placeholder);
}

}  // namespace

int main() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr || argc != 2) {
        std::fprintf(stderr, "usage: render_gallery OUTDIR\n");
        return 2;
    }
    const std::filesystem::path folder(argv[1]);
    LocalFree(argv);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        std::fprintf(stderr, "cannot create the output folder: %s\n", error.message().c_str());
        return 1;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        std::fprintf(stderr, "COM is not available\n");
        return 1;
    }
    Gallery gallery(folder);
    panels(gallery);
    many_accounts_on_a_small_screen(gallery);
    pace_and_remaining(gallery);
    pin_frames(gallery);
    tray_icons(gallery);
    CoUninitialize();
    return gallery.failures() == 0 ? 0 : 1;
}

// How long the renderer takes, in CPU time of the drawing thread: panel frames of ten accounts at
// 96 and 144 DPI as the window draws them (into its kept section, after a second, after a poll,
// during the pin's animation, and with everything changed), the first frame into a new section,
// where a frame's time goes, and one tray icon. Each case runs in batches long enough for the
// thread clock (10 ms steps under Wine) to be read to about 2 %, and the median of the
// repetitions is reported. Exits 1 when a case is over its budget.
// Usage: render_bench [part of a case name]

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "panel/dib_frame_win32.hpp"
#include "panel/draw_plan.hpp"
#include "panel/image.hpp"
#include "panel/palette.hpp"
#include "panel/panel_frame_win32.hpp"
#include "panel/pin_win32.hpp"
#include "platform/windows_win32.hpp"
#include "state/dpi.hpp"
#include "state/ui_values.hpp"
#include "text/utf8.hpp"
#include "tray_icon/tray_icon_win32.hpp"

namespace {

constexpr double MIN_BATCH_SECONDS = 0.5;
constexpr int REPETITIONS = 7;

double thread_cpu_seconds() noexcept {
    FILETIME created{};
    FILETIME exited{};
    FILETIME kernel{};
    FILETIME user{};
    if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) {
        return 0.0;
    }
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 1e7;
}

double wall_seconds() noexcept {
    LARGE_INTEGER frequency{};
    LARGE_INTEGER now{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Timing {
    double cpu_us = 0.0;   // median CPU time per call
    double wall_us = 0.0;  // median wall time per call, for comparison
    std::int64_t iterations = 0;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

Timing measure(const std::function<void()>& call) {
    call();  // warm-up: one-time measurements and caches
    std::int64_t iterations = 1;
    for (;;) {
        const double start = thread_cpu_seconds();
        for (std::int64_t i = 0; i < iterations; ++i) {
            call();
        }
        const double spent = thread_cpu_seconds() - start;
        if (spent >= MIN_BATCH_SECONDS / 4) {
            // Scale to the batch length with a margin, from a reading long enough to trust.
            iterations = std::max<std::int64_t>(
                iterations,
                static_cast<std::int64_t>(static_cast<double>(iterations) * MIN_BATCH_SECONDS * 1.1 / spent));
            break;
        }
        iterations *= 2;
    }
    std::vector<double> cpu;
    std::vector<double> wall;
    for (int r = 0; r < REPETITIONS; ++r) {
        const double cpu_start = thread_cpu_seconds();
        const double wall_start = wall_seconds();
        for (std::int64_t i = 0; i < iterations; ++i) {
            call();
        }
        wall.push_back((wall_seconds() - wall_start) / static_cast<double>(iterations) * 1e6);
        cpu.push_back((thread_cpu_seconds() - cpu_start) / static_cast<double>(iterations) * 1e6);
    }
    return Timing{median(cpu), median(wall), iterations};
}

poller::UsageBar bar(double percent, std::int64_t resets_in_seconds, platform::FileTime now) {
    return poller::UsageBar{percent, now + static_cast<platform::FileTime>(resets_in_seconds) *
                                               platform::FILETIME_TICKS_PER_SECOND};
}

// Six Claude accounts (with one or two model bars, one failed) and four Codex accounts.
std::vector<poller::UsageSnapshot> ten_accounts(platform::FileTime now) {
    std::vector<poller::UsageSnapshot> rows;
    for (int i = 1; i <= 6; ++i) {
        poller::UsageSnapshot row{"claude-" + std::to_string(i),
                                  "developer" + std::to_string(i) + "@example.com", std::nullopt,
                                  accounts::Provider::Claude};
        if (i != 4) {
            poller::UsageData data;
            data.five_hour = bar(12.0 * i, 3600 + 600 * i, now);
            data.seven_day = bar(9.5 * i, 86400 * 3 + 3600 * i, now);
            data.model_bars.push_back({"Opus", bar(4.0 * i, 86400 * 3, now)});
            if (i % 2 == 0) {
                data.model_bars.push_back({"Sonnet", bar(7.0 * i, 86400 * 2, now)});
            }
            row.usage = data;
        }
        rows.push_back(row);
    }
    for (int i = 1; i <= 4; ++i) {
        poller::UsageData data;
        data.five_hour = bar(15.0 * i, 7200 + 300 * i, now);
        data.seven_day = bar(20.0 * i, 86400 * 4 + 60 * i, now);
        rows.push_back({"codex-" + std::to_string(i), "work" + std::to_string(i) + "@example.com", data,
                        accounts::Provider::Codex});
    }
    return rows;
}

std::string processor_name() {
    wchar_t name[256] = {};
    DWORD size = sizeof name;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0",
                     L"ProcessorNameString", RRF_RT_REG_SZ, nullptr, name, &size) != ERROR_SUCCESS) {
        return "unknown processor";
    }
    return text::utf16_to_utf8(reinterpret_cast<const char16_t*>(name)).value_or("unknown processor");
}

struct Case {
    const char* name;
    double budget_us;  // 0: no budget
    std::function<void()> call;
};

}  // namespace

int main(int argc, char** argv) {
    // An argument keeps only the cases whose name contains it.
    const std::string only = argc > 1 ? argv[1] : "";
    const platform::FileTime now =
        platform::file_time_from_unix_seconds(1796710000);  // fixed: same texts every run
    panel::PanelFrameInput frame;
    frame.rows = ten_accounts(now);
    frame.theme = settings::PanelTheme::Win11Fluent;
    frame.layout = settings::PanelLayout::Columns;
    frame.now = now;
    panel::PanelFrameInput frame_144 = frame;
    frame_144.dpi = 144;

    const panel::Size size_96 = panel::panel_size(frame.layout, frame.rows, 96);
    panel::Image alpha_image(size_96.width, size_96.height);
    const std::int32_t radius = state::scale_dip(panel::palette_for(frame.theme).corner_radius, 96);

    tray_icon::TrayIconSpec tray;
    tray.has_usage = true;
    tray.two_bars = true;
    tray.primary = 37.0;
    tray.secondary = 62.5;
    tray.colour = panel::palette_for(frame.theme).claude_accent;

    tray_icon::TrayIconSpec glyph;
    glyph.is_codex = true;
    glyph.colour = panel::palette_for(frame.theme).codex_accent;

    // The plan split by kind of command, each executed alone into one kept DIB section: what is
    // left of a frame's time once the plan, the section and the alpha pass are counted.
    const panel::DrawPlan plan_96 = panel::build_draw_plan(frame, panel::pin_geometry());
    const auto only_kind = [&plan_96](auto keep) {
        panel::DrawPlan part = plan_96;
        std::erase_if(part.commands, [&keep](const panel::DrawCommand& c) { return !keep(c); });
        return part;
    };
    const panel::DrawPlan background_only = only_kind([](const panel::DrawCommand&) { return false; });
    const panel::DrawPlan rectangles_only = only_kind([](const panel::DrawCommand& c) {
        return std::holds_alternative<panel::FillRect>(c) || std::holds_alternative<panel::RoundedRect>(c) ||
               std::holds_alternative<panel::BorderFrame>(c);
    });
    const panel::DrawPlan texts_only =
        only_kind([](const panel::DrawCommand& c) { return std::holds_alternative<panel::TextItem>(c); });
    const panel::DrawPlan pin_only =
        only_kind([](const panel::DrawCommand& c) { return std::holds_alternative<panel::PinGlyph>(c); });
    const auto kept = panel::DibFrame::create(size_96.width, size_96.height);
    const auto execute = [&kept](const panel::DrawPlan& plan) {
        panel::execute_draw_plan(plan, kept->dc(), kept->pixels());
    };

    // The window keeps its section while the panel's size holds and draws again what changed:
    // each second a countdown may move, after a poll every value does, and while the pin
    // animates its glyph moves every 16 ms.
    bool drawn = kept != nullptr;
    std::unique_ptr<panel::DibFrame> kept_96;
    std::unique_ptr<panel::DibFrame> kept_144;
    const auto ticking = [&drawn](std::unique_ptr<panel::DibFrame>& into, panel::PanelFrameInput& input) {
        input.now += platform::FILETIME_TICKS_PER_SECOND;
        drawn = drawn && panel::redraw_panel_frame(into, input);
    };
    panel::PanelFrameInput tick_96 = frame;
    panel::PanelFrameInput tick_144 = frame_144;
    // Two polls whose every percentage differs, drawn in turn.
    std::vector<poller::UsageSnapshot> polled_96 = frame.rows;
    for (poller::UsageSnapshot& row : polled_96) {
        if (row.usage) {
            row.usage->five_hour.percent += 1.0;
            row.usage->seven_day.percent += 1.0;
            for (poller::ModelBar& model : row.usage->model_bars) {
                model.bar.percent += 1.0;
            }
        }
    }
    std::vector<poller::UsageSnapshot> polled_144 = polled_96;
    const auto after_poll = [&drawn](std::unique_ptr<panel::DibFrame>& into, panel::PanelFrameInput& input,
                                     std::vector<poller::UsageSnapshot>& other) {
        std::swap(input.rows, other);
        drawn = drawn && panel::redraw_panel_frame(into, input);
    };
    panel::PanelFrameInput poll_96 = frame;
    panel::PanelFrameInput poll_144 = frame_144;
    // The pin's press, 380 ms, in frames of 16 ms, over and over.
    const auto pin_frame = [&drawn](std::unique_ptr<panel::DibFrame>& into, panel::PanelFrameInput& input) {
        const platform::FileTime step = 16 * platform::FILETIME_TICKS_PER_MILLISECOND;
        const platform::FileTime start = input.pin_animation->started;
        input.now = input.now + step > start + 24 * step ? start : input.now + step;
        drawn = drawn && panel::redraw_panel_frame(into, input);
    };
    panel::PanelFrameInput pin_96 = frame;
    pin_96.pin_animation = state::PinAnimation{now, true};
    panel::PanelFrameInput pin_144 = frame_144;
    pin_144.pin_animation = pin_96.pin_animation;
    // Every pixel again into the kept section: what a frame costs when everything changed.
    const auto whole = [&drawn](std::unique_ptr<panel::DibFrame>& into, const panel::PanelFrameInput& input) {
        if (into) {
            into->kept().drawn.reset();
        }
        drawn = drawn && panel::redraw_panel_frame(into, input);
    };

    const Case cases[] = {
        {"frame, clock ticking, 96 DPI", 1000.0, [&] { ticking(kept_96, tick_96); }},
        {"frame, clock ticking, 144 DPI", 1000.0, [&] { ticking(kept_144, tick_144); }},
        {"frame after a poll, 96 DPI", 1000.0, [&] { after_poll(kept_96, poll_96, polled_96); }},
        {"frame after a poll, 144 DPI", 1000.0, [&] { after_poll(kept_144, poll_144, polled_144); }},
        {"frame of the pin animation, 96 DPI", 1000.0, [&] { pin_frame(kept_96, pin_96); }},
        {"frame of the pin animation, 144 DPI", 1000.0, [&] { pin_frame(kept_144, pin_144); }},
        {"frame drawn whole, kept section, 96 DPI", 1000.0, [&] { whole(kept_96, frame); }},
        {"frame drawn whole, kept section, 144 DPI", 1000.0, [&] { whole(kept_144, frame_144); }},
        // After a size change: the new section's pages are faulted in as the background fills
        // them, which costs more than drawing (reported, outside the frame budget).
        {"first frame, new section, 96 DPI", 0.0,
         [&] { drawn = drawn && panel::draw_panel_frame(frame) != nullptr; }},
        {"first frame, new section, 144 DPI", 0.0,
         [&] { drawn = drawn && panel::draw_panel_frame(frame_144) != nullptr; }},
        // Where a frame's time goes: the plan (portable), the DIB section, the alpha pass.
        {"draw plan alone, 96 DPI", 0.0,
         [&] {
             drawn = drawn && !panel::build_draw_plan(frame, panel::DEFAULT_PIN_GEOMETRY).commands.empty();
         }},
        {"draw plan without reset clocks, 96 DPI", 0.0,
         [&] {
             drawn = drawn &&
                     !panel::build_draw_plan(frame, panel::DEFAULT_PIN_GEOMETRY, nullptr).commands.empty();
         }},
        {"execute: background and alpha, 96 DPI", 0.0, [&] { execute(background_only); }},
        {"execute: + rectangles, 96 DPI", 0.0, [&] { execute(rectangles_only); }},
        {"execute: + texts, 96 DPI", 0.0, [&] { execute(texts_only); }},
        {"execute: + pin, 96 DPI", 0.0, [&] { execute(pin_only); }},
        {"execute: whole plan, 96 DPI", 0.0, [&] { execute(plan_96); }},
        {"DIB section alone, 96 DPI frame", 0.0,
         [&] { drawn = drawn && panel::DibFrame::create(size_96.width, size_96.height) != nullptr; }},
        {"rounded alpha pass alone, 96 DPI frame", 0.0,
         [&] { panel::apply_rounded_alpha(alpha_image, radius); }},
        {"tray icon, two bars", 200.0, [&] { drawn = drawn && tray_icon::make_tray_icon(tray).valid(); }},
        {"tray icon, Codex \"C\" without usage", 200.0,
         [&] { drawn = drawn && tray_icon::make_tray_icon(glyph).valid(); }},
    };

    std::printf("renderer benchmark on %s, %u logical processors\n", processor_name().c_str(),
                static_cast<unsigned>(GetActiveProcessorCount(ALL_PROCESSOR_GROUPS)));
    std::printf("frame %dx%d at 96 DPI, %dx%d at 144 DPI; median of %d batches of at least %.1f s CPU\n",
                size_96.width, size_96.height, panel::panel_size(frame.layout, frame.rows, 144).width,
                panel::panel_size(frame.layout, frame.rows, 144).height, REPETITIONS, MIN_BATCH_SECONDS);
    std::printf("%-40s %12s %12s %12s %10s\n", "case", "CPU us/call", "wall us/call", "iterations", "budget");
    bool within = true;
    for (const Case& c : cases) {
        if (std::string(c.name).find(only) == std::string::npos) {
            continue;
        }
        const Timing t = measure(c.call);
        const bool ok = c.budget_us <= 0.0 || t.cpu_us <= c.budget_us;
        within = within && ok;
        char budget[32] = "-";
        if (c.budget_us > 0.0) {
            std::snprintf(budget, sizeof budget, "%.0f us %s", c.budget_us, ok ? "ok" : "OVER");
        }
        std::printf("%-40s %12.2f %12.2f %12lld %10s\n", c.name, t.cpu_us, t.wall_us,
                    static_cast<long long>(t.iterations), budget);
        std::fflush(stdout);
    }
    if (!drawn) {
        std::printf("a frame or an icon could not be drawn (no window system?)\n");
        return 2;
    }
    return within ? 0 : 1;
}

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "panel/rect_union.hpp"
#include "panel/repaint.hpp"

namespace {

using accounts::Provider;
using panel::DrawPlan;
using panel::PanelFrameInput;
using panel::Repaint;
using settings::PanelLayout;
using settings::PanelTheme;
using state::Rect;

constexpr platform::FileTime SECOND = platform::FILETIME_TICKS_PER_SECOND;
constexpr platform::FileTime NOW = platform::FILETIME_UNIX_EPOCH + 1'765'000'000ULL * SECOND;

std::optional<platform::LocalTime> fixed_zone(platform::FileTime t) noexcept {
    const std::uint64_t s = platform::unix_seconds(t);
    return platform::LocalTime{2025,
                               12,
                               6,
                               6,
                               static_cast<std::int32_t>(s % 86400 / 3600),
                               static_cast<std::int32_t>(s % 3600 / 60),
                               static_cast<std::int32_t>(s % 60)};
}

poller::UsageSnapshot account(const std::string& id, Provider provider, double percent) {
    poller::UsageData data;
    data.five_hour = {percent, NOW + 7'500 * SECOND};
    data.seven_day = {percent / 2, NOW + 300'000 * SECOND};
    if (provider == Provider::Claude) {
        data.model_bars.push_back({"Opus", {percent / 3, NOW + 200'000 * SECOND}});
    }
    return {id, id + "@example.com", data, provider};
}

PanelFrameInput three_accounts(double percent = 40) {
    PanelFrameInput input;
    input.rows = {account("claude-1", Provider::Claude, percent), account("claude-2", Provider::Claude, 70),
                  account("codex-1", Provider::Codex, percent + 5)};
    input.theme = PanelTheme::Win11Fluent;
    input.now = NOW;
    return input;
}

DrawPlan plan_of(const PanelFrameInput& input) {
    return panel::build_draw_plan(input, panel::DEFAULT_PIN_GEOMETRY, fixed_zone);
}

// A stand-in for GDI that shows every mistake: each command mixes its own value into every pixel
// of its areas, so a command drawn twice, left out or drawn in another order leaves other pixels.
std::uint32_t value_of(const panel::DrawCommand& command) {
    std::vector<Rect> areas;
    panel::append_command_areas(command, {4096, 4096}, areas);
    std::string key = std::to_string(command.index());
    for (const Rect& r : areas) {
        key += "," + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right);
    }
    if (const auto* text = std::get_if<panel::TextItem>(&command)) {
        key += text->text + std::to_string(text->colour.red);
    } else if (const auto* pin = std::get_if<panel::PinGlyph>(&command)) {
        key += std::to_string(pin->offset.dx) + "/" + std::to_string(pin->offset.dy);
    }
    return static_cast<std::uint32_t>(std::hash<std::string>{}(key));
}

bool inside(const std::vector<Rect>& areas, std::int32_t x, std::int32_t y) {
    return std::any_of(areas.begin(), areas.end(), [x, y](const Rect& r) { return r.contains(x, y); });
}

void draw(const DrawPlan& plan, const Repaint& repaint, panel::Image& image) {
    panel::fill_rows(image, panel::background_rows(plan.palette, plan.size.height), repaint.restore);
    for (const std::size_t i : repaint.commands) {
        std::vector<Rect> areas;
        panel::append_command_areas(plan.commands[i], plan.size, areas);
        const std::uint32_t value = value_of(plan.commands[i]);
        for (const Rect& r : areas) {
            for (std::int32_t y = r.top; y < r.bottom; ++y) {
                for (std::int32_t x = r.left; x < r.right; ++x) {
                    if (repaint.clipped && !inside(repaint.restore, x, y)) {
                        continue;
                    }
                    image.at(x, y) = (image.at(x, y) * 31 + value) & 0x00FFFFFFu;  // GDI leaves alpha 0
                }
            }
        }
    }
    panel::make_opaque(image, repaint.opaque);
    panel::round_corners(image, plan.corner_px, repaint.corners);
}

panel::Image drawn_whole(const DrawPlan& plan) {
    panel::Image image(plan.size.width, plan.size.height);
    draw(plan, panel::full_repaint(plan), image);
    return image;
}

using Step = std::function<void(PanelFrameInput&)>;

TEST(Repaint, AKeptFrameRedrawnStepByStepEqualsAFrameDrawnWhole) {
    struct Case {
        const char* name;
        std::vector<Step> steps;
    };
    const auto later = [](platform::FileTime by) { return [by](PanelFrameInput& in) { in.now += by; }; };
    const auto pinning_at = [](platform::FileTime ms) {
        return [ms](PanelFrameInput& in) {
            in.pin_animation = state::PinAnimation{NOW, true};
            in.now = NOW + ms * platform::FILETIME_TICKS_PER_MILLISECOND;
        };
    };
    const Case cases[] = {
        {"the clock ticks a second, then past a minute", {later(SECOND), later(SECOND), later(61 * SECOND)}},
        {"a poll changes every value", {[](PanelFrameInput& in) { in = three_accounts(55); }}},
        {"the pin animates and comes to rest",
         {pinning_at(0), pinning_at(16), pinning_at(120), pinning_at(240), pinning_at(300),
          [](PanelFrameInput& in) {
              in.pin_animation.reset();
              in.pinned = true;
          }}},
        {"another theme of the same size", {[](PanelFrameInput& in) { in.theme = PanelTheme::HybridLight; }}},
        {"a label grows long enough for an ellipsis",
         {[](PanelFrameInput& in) { in.rows[0].label = std::string(80, 'x') + "@example.com"; }}},
        {"an account fails, then comes back",
         {[](PanelFrameInput& in) { in.rows[1].usage.reset(); },
          [](PanelFrameInput& in) { in = three_accounts(); }}},
        {"an account is added and the size changes",
         {[](PanelFrameInput& in) { in.rows.push_back(account("codex-2", Provider::Codex, 3)); }}},
        {"another layout", {[](PanelFrameInput& in) { in.layout = PanelLayout::Vertical; }, later(SECOND)}},
        {"the same frame again", {[](PanelFrameInput&) {}}},
    };
    for (const Case& c : cases) {
        PanelFrameInput input = three_accounts();
        DrawPlan previous = plan_of(input);
        panel::Image kept = drawn_whole(previous);
        for (std::size_t k = 0; k < c.steps.size(); ++k) {
            c.steps[k](input);
            const DrawPlan next = plan_of(input);
            const Repaint repaint = panel::plan_repaint(previous, next);
            if (kept.width != next.size.width || kept.height != next.size.height) {
                kept =
                    panel::Image(next.size.width, next.size.height);  // a new section, as the renderer makes
            }
            draw(next, repaint, kept);
            EXPECT_EQ(kept.pixels, drawn_whole(next).pixels) << c.name << ", step " << k;
            previous = next;
        }
    }
}

TEST(Repaint, OnlyWhatChangedIsDrawnAgain) {
    const PanelFrameInput input = three_accounts();
    const DrawPlan plan = plan_of(input);
    const Repaint same = panel::plan_repaint(plan, plan);
    EXPECT_TRUE(same.commands.empty());
    EXPECT_TRUE(same.restore.empty());
    EXPECT_EQ(same.corners, (panel::CornerSet{}));

    // A minute later only the countdowns that moved are drawn again: no bar, no border, no pin.
    PanelFrameInput tick = input;
    tick.now += 61 * SECOND;
    const DrawPlan next = plan_of(tick);
    const Repaint repaint = panel::plan_repaint(plan, next);
    ASSERT_FALSE(repaint.commands.empty());
    for (const std::size_t i : repaint.commands) {
        const auto* text = std::get_if<panel::TextItem>(&next.commands[i]);
        ASSERT_NE(text, nullptr) << "command " << i;
        EXPECT_NE(text->text.find("m"), std::string::npos) << text->text;
    }
    EXPECT_LT(repaint.commands.size(), next.commands.size() / 4);

    // Another size, palette or font height: every pixel.
    PanelFrameInput wider = input;
    wider.dpi = 120;
    const DrawPlan at_120 = plan_of(wider);
    EXPECT_EQ(panel::plan_repaint(plan, at_120).commands.size(), at_120.commands.size());
    PanelFrameInput other = input;
    other.theme = PanelTheme::MacVibrancy;
    const Repaint themed = panel::plan_repaint(plan, plan_of(other));
    EXPECT_EQ(themed.restore, (std::vector<Rect>{{0, 0, plan.size.width, plan.size.height}}));
    EXPECT_EQ(themed.corners, (panel::CornerSet{true, true, true, true}));
}

TEST(Repaint, CommandAreasStayInsideTheFrame) {
    std::vector<Rect> areas;
    const panel::Size size{100, 50};
    panel::append_command_areas(panel::TextItem{"t", {-5, 40, 120, 70}, {}}, size, areas);
    panel::append_command_areas(panel::FillRect{{10, 10, 20, 11}, {}}, size, areas);
    panel::append_command_areas(panel::TextItem{"outside", {200, 0, 300, 10}, {}}, size, areas);
    EXPECT_EQ(areas, (std::vector<Rect>{{0, 40, 100, 50}, {9, 9, 21, 12}})) << "rectangles grow by a pixel";
    EXPECT_EQ(panel::corner_squares(size, 8),
              (std::vector<Rect>{{0, 0, 8, 8}, {92, 0, 100, 8}, {0, 42, 8, 50}, {92, 42, 100, 50}}));
    EXPECT_TRUE(panel::corner_squares(size, 0).empty());
}

TEST(RectUnion, CoversEveryPixelOnceInSortedBands) {
    struct Case {
        const char* name;
        std::vector<Rect> rects;
        std::vector<Rect> expected;
    };
    const Case cases[] = {
        {"nothing", {}, {}},
        {"empty rectangles count for nothing", {{5, 5, 5, 9}, {1, 1, 4, 1}}, {}},
        {"one inside another", {{0, 0, 10, 10}, {2, 2, 4, 4}}, {{0, 0, 10, 10}}},
        {"overlapping side by side", {{0, 0, 6, 4}, {4, 0, 10, 4}}, {{0, 0, 10, 4}}},
        {"touching edges join", {{0, 0, 5, 4}, {5, 0, 9, 4}, {0, 4, 9, 6}}, {{0, 0, 9, 6}}},
        {"a cross", {{4, 0, 6, 10}, {0, 4, 10, 6}}, {{4, 0, 6, 4}, {0, 4, 10, 6}, {4, 6, 6, 10}}},
        {"two apart in one band, sorted from the left",
         {{7, 0, 9, 3}, {0, 0, 2, 3}},
         {{0, 0, 2, 3}, {7, 0, 9, 3}}},
    };
    for (const Case& c : cases) {
        const std::vector<Rect> got = panel::union_of(c.rects);
        EXPECT_EQ(got, c.expected) << c.name;
    }
    // Many overlapping areas of a real frame: the same pixels, none twice.
    const DrawPlan plan = plan_of(three_accounts());
    std::vector<Rect> areas;
    for (const auto& command : plan.commands) {
        panel::append_command_areas(command, plan.size, areas);
    }
    const std::vector<Rect> bands = panel::union_of(areas);
    panel::Image counts(plan.size.width, plan.size.height);
    for (const Rect& r : bands) {
        for (std::int32_t y = r.top; y < r.bottom; ++y) {
            for (std::int32_t x = r.left; x < r.right; ++x) {
                ++counts.at(x, y);
            }
        }
    }
    for (std::int32_t y = 0; y < plan.size.height; ++y) {
        for (std::int32_t x = 0; x < plan.size.width; ++x) {
            ASSERT_EQ(counts.at(x, y), inside(areas, x, y) ? 1u : 0u) << x << "," << y;
        }
    }
    EXPECT_TRUE(std::is_sorted(bands.begin(), bands.end(), [](const Rect& a, const Rect& b) {
        return a.top != b.top ? a.top < b.top : a.left < b.left;
    }));
}

}  // namespace

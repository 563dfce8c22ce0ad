#include "panel/repaint.hpp"

#include <algorithm>
#include <functional>
#include <string_view>
#include <type_traits>
#include <unordered_map>

#include "panel/rect_union.hpp"

namespace panel {
namespace {

// A pen or an anti-aliased edge may reach one pixel past a shape's rectangle.
constexpr std::int32_t SLACK = 1;

state::Rect grown(const state::Rect& r, std::int32_t by) noexcept {
    return {r.left - by, r.top - by, r.right + by, r.bottom + by};
}

bool overlap(const state::Rect& a, const state::Rect& b) noexcept {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

struct AreaAppender {
    std::vector<state::Rect>& out;
    Size size;

    void add(const state::Rect& r) const {
        const state::Rect limited{std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, size.width),
                                  std::min(r.bottom, size.height)};
        if (limited.left < limited.right && limited.top < limited.bottom) {
            out.push_back(limited);
        }
    }

    void operator()(const FillRect& item) const { add(grown(item.rect, SLACK)); }
    void operator()(const RoundedRect& item) const { add(grown(item.rect, SLACK)); }
    void operator()(const TextItem& item) const { add(item.rect); }

    void operator()(const BorderFrame& item) const {
        // Straight edges as thick as the frame, and around each corner the radius as well.
        const std::int32_t edge = item.thickness + SLACK;
        const std::int32_t corner = item.thickness + item.radius + SLACK;
        const state::Rect& r = item.region;
        add({r.left, r.top, r.right, r.top + edge});
        add({r.left, r.bottom - edge - 1, r.right, r.bottom});
        add({r.left, r.top, r.left + edge, r.bottom});
        add({r.right - edge - 1, r.top, r.right, r.bottom});
        add({r.left, r.top, r.left + corner, r.top + corner});
        add({r.right - corner - 1, r.top, r.right, r.top + corner});
        add({r.left, r.bottom - corner - 1, r.left + corner, r.bottom});
        add({r.right - corner - 1, r.bottom - corner - 1, r.right, r.bottom});
    }

    void operator()(const PinGlyph& item) const {
        state::Rect bounds{item.clip[0].x, item.clip[0].y, item.clip[0].x, item.clip[0].y};
        for (const Point& p : item.clip) {
            bounds = {std::min(bounds.left, p.x), std::min(bounds.top, p.y), std::max(bounds.right, p.x + 1),
                      std::max(bounds.bottom, p.y + 1)};
        }
        const state::Rect glyph = grown({item.box.left + item.offset.dx, item.box.top + item.offset.dy,
                                         item.box.right + item.offset.dx, item.box.bottom + item.offset.dy},
                                        item.box.width());
        add({std::max(bounds.left, glyph.left), std::max(bounds.top, glyph.top),
             std::min(bounds.right, glyph.right), std::min(bounds.bottom, glyph.bottom)});
    }
};

// The areas of every command of a plan, flattened: command i owns areas [first[i], first[i + 1]).
struct PlanAreas {
    std::vector<state::Rect> rects;
    std::vector<std::size_t> first;

    explicit PlanAreas(const DrawPlan& plan) {
        rects.reserve(plan.commands.size() + 4);
        first.reserve(plan.commands.size() + 1);
        for (const DrawCommand& command : plan.commands) {
            first.push_back(rects.size());
            append_command_areas(command, plan.size, rects);
        }
        first.push_back(rects.size());
    }

    [[nodiscard]] std::span<const state::Rect> of(std::size_t i) const noexcept {
        return std::span(rects).subspan(first[i], first[i + 1] - first[i]);
    }
};

bool overlap_any(std::span<const state::Rect> a, std::span<const state::Rect> b) noexcept {
    for (const state::Rect& x : a) {
        for (const state::Rect& y : b) {
            if (overlap(x, y)) {
                return true;
            }
        }
    }
    return false;
}

std::size_t mix(std::size_t seed, std::size_t value) noexcept {
    return seed ^ (value + 0x9E3779B97F4A7C15ULL + (seed << 6) + (seed >> 2));
}

std::size_t hash_of(const state::Rect& r) noexcept {
    std::size_t h = std::hash<std::int32_t>{}(r.left);
    for (const std::int32_t v : {r.top, r.right, r.bottom}) {
        h = mix(h, std::hash<std::int32_t>{}(v));
    }
    return h;
}

std::size_t hash_of(const DrawCommand& command) noexcept {
    const std::size_t kind = command.index();
    return std::visit(
        [kind](const auto& item) {
            using Item = std::decay_t<decltype(item)>;
            std::size_t h = mix(kind, 0);
            if constexpr (std::is_same_v<Item, TextItem>) {
                h = mix(mix(h, hash_of(item.rect)), std::hash<std::string_view>{}(item.text));
            } else if constexpr (std::is_same_v<Item, BorderFrame>) {
                h = mix(h, hash_of(item.region));
            } else if constexpr (std::is_same_v<Item, PinGlyph>) {
                h = mix(mix(mix(h, hash_of(item.box)), static_cast<std::size_t>(item.offset.dx)),
                        static_cast<std::size_t>(item.offset.dy));
            } else {
                h = mix(h, hash_of(item.rect));
            }
            return h;
        },
        command);
}

}  // namespace

void append_command_areas(const DrawCommand& command, Size size, std::vector<state::Rect>& out) {
    std::visit(AreaAppender{out, size}, command);
}

std::vector<state::Rect> corner_squares(Size size, std::int32_t radius_px) {
    const std::int32_t k = corner_radius_within(size.width, size.height, radius_px);
    if (k <= 0) {
        return {};
    }
    const std::int32_t w = size.width;
    const std::int32_t h = size.height;
    return {{0, 0, k, k}, {w - k, 0, w, k}, {0, h - k, k, h}, {w - k, h - k, w, h}};
}

Repaint full_repaint(const DrawPlan& next) {
    Repaint out;
    out.restore.push_back({0, 0, next.size.width, next.size.height});
    out.commands.reserve(next.commands.size());
    std::vector<state::Rect> areas;
    for (std::size_t i = 0; i < next.commands.size(); ++i) {
        out.commands.push_back(i);
        append_command_areas(next.commands[i], next.size, areas);
    }
    out.opaque = union_of(areas);
    out.corners.fill(true);
    return out;
}

Repaint plan_repaint(const DrawPlan& previous, const DrawPlan& next) {
    if (previous.size != next.size || previous.palette != next.palette ||
        previous.corner_px != next.corner_px || previous.font_height != next.font_height) {
        return full_repaint(next);
    }
    const PlanAreas before(previous);
    const PlanAreas after(next);
    const std::size_t n = next.commands.size();

    // Pair each command with an equal one drawn before, each drawn one used once.
    std::unordered_multimap<std::size_t, std::size_t> drawn;
    drawn.reserve(previous.commands.size());
    for (std::size_t j = 0; j < previous.commands.size(); ++j) {
        drawn.emplace(hash_of(previous.commands[j]), j);
    }
    constexpr std::size_t NONE = static_cast<std::size_t>(-1);
    std::vector<std::size_t> match(n, NONE);
    std::vector<bool> kept_before(previous.commands.size(), false);
    for (std::size_t i = 0; i < n; ++i) {
        auto [it, end] = drawn.equal_range(hash_of(next.commands[i]));
        for (; it != end; ++it) {
            if (previous.commands[it->second] == next.commands[i]) {
                match[i] = it->second;
                kept_before[it->second] = true;
                drawn.erase(it);
                break;
            }
        }
    }

    // What changed: the areas of commands that went away or came, and of overlapping unchanged
    // commands now drawn in the other order (their shared pixels depend on it).
    std::vector<state::Rect> changed;
    const auto add = [&changed](std::span<const state::Rect> areas) {
        changed.insert(changed.end(), areas.begin(), areas.end());
    };
    for (std::size_t j = 0; j < previous.commands.size(); ++j) {
        if (!kept_before[j]) {
            add(before.of(j));
        }
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (match[i] == NONE) {
            add(after.of(i));
        }
    }
    for (std::size_t a = 0; a < n; ++a) {
        for (std::size_t b = a + 1; b < n && match[a] != NONE; ++b) {
            if (match[b] != NONE && match[b] < match[a] && overlap_any(after.of(a), after.of(b))) {
                add(after.of(a));
                add(after.of(b));
            }
        }
    }
    if (changed.empty()) {
        Repaint nothing;
        nothing.clipped = true;
        return nothing;
    }
    // A corner square is rounded from its unrounded pixels, so a change that touches one
    // restores it whole.
    Repaint out;
    const std::vector<state::Rect> squares = corner_squares(next.size, next.corner_px);
    for (std::size_t c = 0; c < squares.size(); ++c) {
        if (overlap_any(std::span(&squares[c], 1), changed)) {
            out.corners[c] = true;
            changed.push_back(squares[c]);
        }
    }
    // Every command with pixels there is drawn again, clipped to the changed areas.
    for (std::size_t i = 0; i < n; ++i) {
        if (overlap_any(after.of(i), changed)) {
            out.commands.push_back(i);
        }
    }
    // A region is made of these: they must not overlap.
    out.restore = union_of(changed);
    out.opaque = out.restore;
    out.clipped = true;
    return out;
}

}  // namespace panel

#include "panel/rect_union.hpp"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace panel {

std::vector<state::Rect> union_of(std::span<const state::Rect> rects) {
    // Swept from the top: between two consecutive edges the same rectangles are open.
    std::vector<state::Rect> by_top;
    by_top.reserve(rects.size());
    std::vector<std::int32_t> edges;
    edges.reserve(rects.size() * 2);
    for (const state::Rect& r : rects) {
        if (r.left < r.right && r.top < r.bottom) {
            by_top.push_back(r);
            edges.push_back(r.top);
            edges.push_back(r.bottom);
        }
    }
    std::sort(by_top.begin(), by_top.end(),
              [](const state::Rect& a, const state::Rect& b) { return a.top < b.top; });
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());

    using Span = std::pair<std::int32_t, std::int32_t>;
    std::vector<state::Rect> out;
    std::vector<state::Rect> open;
    std::vector<Span> above;  // the spans of the band last written
    std::vector<Span> spans;
    std::size_t next = 0;        // the first rectangle of `by_top` not yet open
    std::size_t band_begin = 0;  // where the band last written starts in `out`
    for (std::size_t i = 0; i + 1 < edges.size(); ++i) {
        const std::int32_t top = edges[i];
        const std::int32_t bottom = edges[i + 1];
        std::erase_if(open, [top](const state::Rect& r) { return r.bottom <= top; });
        for (; next < by_top.size() && by_top[next].top <= top; ++next) {
            open.push_back(by_top[next]);
        }
        spans.clear();
        for (const state::Rect& r : open) {
            spans.emplace_back(r.left, r.right);
        }
        std::sort(spans.begin(), spans.end());
        std::size_t merged = 0;
        for (const Span& s : spans) {
            if (merged > 0 && s.first <= spans[merged - 1].second) {
                spans[merged - 1].second = std::max(spans[merged - 1].second, s.second);
            } else {
                spans[merged++] = s;
            }
        }
        spans.resize(merged);
        if (!spans.empty() && spans == above && out.back().bottom == top) {
            for (std::size_t k = band_begin; k < out.size(); ++k) {
                out[k].bottom = bottom;
            }
            continue;
        }
        band_begin = out.size();
        for (const Span& s : spans) {
            out.push_back({s.first, top, s.second, bottom});
        }
        above = spans;
    }
    return out;
}

}  // namespace panel

// Measuring the bar labels in the text font the frames draw them with.
#include "panel/label_width_win32.hpp"

#include <array>
#include <mutex>

#include "native_interop/gdi_owners_win32.hpp"
#include "panel/panel_fonts_win32.hpp"
#include "platform/wide_win32.hpp"

namespace panel {
namespace {

struct Measured {
    std::vector<std::string> labels;
    std::int32_t font_height = 0;
    std::int32_t width = 0;
};

// A label set changes when a model appears or the language changes; a few sets (one per DPI the
// panel meets) are remembered, replaced round-robin.
struct Memo {
    std::mutex mutex;
    std::array<Measured, 4> entries;
    std::size_t next = 0;
};

Memo& memo() noexcept {
    static Memo instance;
    return instance;
}

std::int32_t measure(const std::vector<std::string>& labels, std::int32_t font_height) noexcept {
    const native_interop::MemoryDc dc(CreateCompatibleDC(nullptr));
    if (!dc) {
        return 0;
    }
    const PanelFontLease lease(font_height, font_height);
    const native_interop::ScopedSelect with_font(dc.get(), lease.fonts().text);
    if (!with_font) {
        return 0;
    }
    std::int32_t widest = 0;
    for (const std::string& label : labels) {
        std::optional<std::wstring> wide;
        try {
            wide = platform::to_wide(label);
        } catch (...) {
            return 0;
        }
        SIZE size{};
        if (wide && GetTextExtentPoint32W(dc.get(), wide->c_str(), static_cast<int>(wide->size()), &size)) {
            widest = std::max<std::int32_t>(widest, size.cx);
        }
    }
    return widest;
}

}  // namespace

std::int32_t widest_label(const std::vector<std::string>& labels, std::int32_t font_height) noexcept {
    Memo& m = memo();
    const std::lock_guard lock(m.mutex);
    for (const Measured& entry : m.entries) {
        if (entry.font_height == font_height && entry.labels == labels) {
            return entry.width;
        }
    }
    const std::int32_t width = measure(labels, font_height);
    try {
        m.entries[m.next] = Measured{labels, font_height, width};
        m.next = (m.next + 1) % m.entries.size();
    } catch (...) {
        // No memory to remember it: measured again next time.
    }
    return width;
}

}  // namespace panel

// The panel's font cache: a fixed array of slots, reused round-robin once full.
#include "panel/panel_fonts_win32.hpp"

#include "panel/pin_win32.hpp"

namespace panel {
namespace {

enum class Kind { Text, Header, Pin };

struct Slot {
    Kind kind = Kind::Text;
    std::int32_t height = 0;
    native_interop::Font font;
};

struct Cache {
    std::mutex mutex;
    std::array<Slot, PANEL_FONT_CACHE_CAPACITY> slots;
    std::size_t next = 0;  // the slot a new font takes

    native_interop::Font make(Kind kind, std::int32_t height) const noexcept {
        if (kind == Kind::Pin) {
            return make_pin_font(height, CLEARTYPE_QUALITY);
        }
        return native_interop::Font(CreateFontW(
            -height, 0, 0, 0, kind == Kind::Header ? 700 : 500, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
            OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Segoe UI"));
    }

    // A frame takes its three fonts one after another, and the round-robin never reaches a slot
    // taken by the same frame: the capacity is larger than three.
    HFONT get(Kind kind, std::int32_t height) noexcept {
        for (const Slot& slot : slots) {
            if (slot.font && slot.kind == kind && slot.height == height) {
                return slot.font.get();
            }
        }
        native_interop::Font font = make(kind, height);
        if (!font) {
            return nullptr;
        }
        Slot& slot = slots[next];
        next = (next + 1) % slots.size();
        slot = Slot{kind, height, std::move(font)};
        return slot.font.get();
    }
};

static_assert(PANEL_FONT_CACHE_CAPACITY > 3);

Cache& cache() noexcept {
    static Cache instance;
    return instance;
}

}  // namespace

PanelFontLease::PanelFontLease(std::int32_t font_height, std::int32_t pin_height) noexcept
    : lock_(cache().mutex) {
    Cache& c = cache();
    fonts_.text = c.get(Kind::Text, font_height);
    fonts_.header = c.get(Kind::Header, font_height);
    fonts_.pin = c.get(Kind::Pin, pin_height);
}

}  // namespace panel

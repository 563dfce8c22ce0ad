#pragma once
// The small process-wide values beside the application state. Each has its own lock or is an
// atomic, and none is ever held together with the state lock.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>

#include "platform/clock.hpp"
#include "state/rect.hpp"

namespace state {

// A value behind its own small lock, read and written whole.
template <typename T>
class Guarded {
  public:
    [[nodiscard]] T get() const {
        std::lock_guard<std::mutex> held(mutex_);
        return value_;
    }
    void set(T value) {
        std::lock_guard<std::mutex> held(mutex_);
        value_ = std::move(value);
    }

  private:
    mutable std::mutex mutex_;
    T value_{};
};

struct PinAnimation {
    platform::FileTime started = 0;
    bool target_pinned = false;

    friend bool operator==(const PinAnimation&, const PinAnimation&) = default;
};

struct UiValues {
    Guarded<std::optional<Rect>> pin_rect;  // the pin glyph in panel client coordinates
    Guarded<std::optional<PinAnimation>> pin_animation;
    Guarded<std::optional<platform::FileTime>> show_suppressed_until;
    std::atomic<std::uint32_t> autohide_misses{0};
    std::atomic<bool> topmost_lost_logged{false};
    std::atomic<bool> coverage_logged{false};
    // Owned by the user-interface thread alone.
    bool menu_open = false;
    std::uint32_t taskbar_created_msg = 0;
};

[[nodiscard]] UiValues& ui_values();

}  // namespace state

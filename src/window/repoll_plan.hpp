#pragma once
// Quick re-polls after a shown reset time has passed. The servers can keep reporting a passed
// reset for minutes or hours, and every poll starts tools and sends requests, so the re-polls
// thin out: 5, 10, 20 and 40 s apart, then only the regular poll, until a reading shows no
// passed reset or a later reset passes.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/clock.hpp"

namespace window {

inline constexpr std::array<std::uint32_t, 4> REPOLL_DELAYS_MS = {5000, 10000, 20000, 40000};

// What to do with the re-poll timer: stop it, (re)arm it with a delay, or leave it as it is.
struct RepollTimer {
    bool stop = false;
    std::optional<std::uint32_t> arm_ms;

    friend constexpr bool operator==(const RepollTimer&, const RepollTimer&) = default;
};

class RepollPlan {
  public:
    // The shown readings' latest reset that has passed (nothing when none has), each time the
    // timers are planned.
    [[nodiscard]] RepollTimer on_readings(std::optional<platform::FileTime> latest_passed);
    // The re-poll timer went off; the caller polls.
    [[nodiscard]] RepollTimer on_fired();
    // Re-polls made for the passed reset the plan runs for.
    [[nodiscard]] std::size_t fired() const noexcept { return fired_; }

  private:
    std::optional<platform::FileTime> passed_;
    std::size_t fired_ = 0;
};

}  // namespace window

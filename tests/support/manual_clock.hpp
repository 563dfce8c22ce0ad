#pragma once
// A monotonic clock a test moves by hand, for the rules that wait minutes.

#include "platform/process.hpp"

namespace test_support {

class ManualClock final : public platform::MonotonicClock {
  public:
    TimePoint now() const override { return now_; }
    void advance(std::chrono::steady_clock::duration by) { now_ += by; }

  private:
    TimePoint now_{};
};

}  // namespace test_support

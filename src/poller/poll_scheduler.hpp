#pragma once
// Runs poll cycles one at a time on a background thread. A trigger while a cycle runs queues one
// more cycle (at most one), so a burst of timer ticks costs at most two cycles and the list shown
// is always that of the cycle that started last.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace poller {

class PollScheduler {
  public:
    explicit PollScheduler(std::function<void()> cycle);
    // Waits for the running cycle and the one queued behind it.
    ~PollScheduler();
    PollScheduler(const PollScheduler&) = delete;
    PollScheduler& operator=(const PollScheduler&) = delete;

    // From any thread; returns at once.
    void trigger();
    // Blocks until no cycle runs or waits.
    void wait_idle();
    [[nodiscard]] std::uint64_t cycles_run() const;

  private:
    void run();

    std::function<void()> cycle_;
    mutable std::mutex mutex_;
    std::condition_variable idle_;
    bool running_ = false;
    bool queued_ = false;
    std::uint64_t cycles_run_ = 0;
    std::thread worker_;
};

}  // namespace poller

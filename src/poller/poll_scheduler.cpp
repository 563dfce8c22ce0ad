#include "poller/poll_scheduler.hpp"

namespace poller {

PollScheduler::PollScheduler(std::function<void()> cycle) : cycle_(std::move(cycle)) {}

PollScheduler::~PollScheduler() {
    wait_idle();
    std::lock_guard<std::mutex> held(mutex_);
    if (worker_.joinable()) {
        worker_.join();
    }
}

void PollScheduler::trigger() {
    std::lock_guard<std::mutex> held(mutex_);
    if (running_) {
        queued_ = true;
        return;
    }
    running_ = true;
    // The previous worker has left its loop (running_ was false); joining it is immediate.
    if (worker_.joinable()) {
        worker_.join();
    }
    worker_ = std::thread([this] { run(); });
}

void PollScheduler::run() {
    std::unique_lock<std::mutex> held(mutex_);
    for (;;) {
        held.unlock();
        try {
            cycle_();
        } catch (...) {
            // A cycle reports failures per account; anything escaping must not end the program.
        }
        held.lock();
        ++cycles_run_;
        if (!queued_) {
            break;
        }
        queued_ = false;
    }
    running_ = false;
    idle_.notify_all();
}

void PollScheduler::wait_idle() {
    std::unique_lock<std::mutex> held(mutex_);
    idle_.wait(held, [this] { return !running_; });
}

std::uint64_t PollScheduler::cycles_run() const {
    std::lock_guard<std::mutex> held(mutex_);
    return cycles_run_;
}

}  // namespace poller

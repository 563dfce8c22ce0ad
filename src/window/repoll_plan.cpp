#include "window/repoll_plan.hpp"

namespace window {

RepollTimer RepollPlan::on_readings(std::optional<platform::FileTime> latest_passed) {
    if (!latest_passed) {
        passed_.reset();
        fired_ = 0;
        return RepollTimer{true, std::nullopt};
    }
    if (passed_ && *latest_passed <= *passed_) {
        return {};  // the same passed reset: its plan goes on
    }
    passed_ = latest_passed;
    fired_ = 0;
    return RepollTimer{false, REPOLL_DELAYS_MS[0]};
}

RepollTimer RepollPlan::on_fired() {
    if (!passed_) {
        return RepollTimer{true, std::nullopt};
    }
    ++fired_;
    if (fired_ < REPOLL_DELAYS_MS.size()) {
        return RepollTimer{false, REPOLL_DELAYS_MS[fired_]};
    }
    return RepollTimer{true, std::nullopt};
}

}  // namespace window

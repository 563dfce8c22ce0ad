#pragma once
// One poll cycle: every account's usage, one after the other, stored in the application state as
// one new list. The cycle reaches the user interface only through UiNotifier.

#include <atomic>
#include <cstdint>
#include <vector>

#include "accounts/account.hpp"
#include "accounts/label_cache.hpp"
#include "accounts/tool_session.hpp"
#include "poller/endpoints.hpp"
#include "poller/retired_models.hpp"
#include "poller/usage_cooldown.hpp"
#include "poller/usage_model.hpp"
#include "poller/weekly_scoped_cache.hpp"
#include "state/app_state.hpp"

namespace poller {

// What a cycle tells the window: stop the quick re-poll timer, and "usage updated".
class UiNotifier {
  public:
    virtual ~UiNotifier() = default;
    virtual void stop_retry_timer() = 0;
    virtual void usage_updated() = 0;
};

// Numbers cycles as they start, so that a cycle never replaces the list of one that started after it.
struct PollSequence {
    std::atomic<std::uint64_t> started{0};
    std::uint64_t stored = 0;  // guarded by the state lock
};

struct PollContext {
    state::StateSlot* slot = &state::app_state();
    UiNotifier* notifier = nullptr;
    Endpoints endpoints;
    accounts::ToolSession tools;
    WeeklyScopedCache* cache = &weekly_scoped_cache();
    UsageCooldowns* cooldowns = &usage_cooldowns();
    RetiredModels* retired_models = &poller::retired_models();
    accounts::LabelCache* labels = &accounts::label_cache();  // none: every poll asks the tool
    PollSequence* sequence = nullptr;                         // the process-wide one when null
    Clock now = platform::precise_now;
};

// One entry per account, in list order. Blocks on the network and the tools.
[[nodiscard]] std::vector<UsageSnapshot> poll_accounts(const std::vector<accounts::Account>& accounts,
                                                       const PollContext& context);

// The whole cycle: copy the accounts, poll them, store the list, tell the window.
void poll_all_accounts(const PollContext& context);

}  // namespace poller

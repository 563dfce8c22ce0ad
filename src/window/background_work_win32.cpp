// Background poll cycles through one scheduler, and the account threads, for the main window.
#include "window/background_work_win32.hpp"

#include <atomic>
#include <memory>

#include "accounts/account_operations.hpp"
#include "diagnostics/log.hpp"
#include "poller/poll_cycle.hpp"
#include "poller/poll_scheduler.hpp"
#include "settings/settings_path.hpp"
#include "window/window_messages.hpp"

namespace window {
namespace {

// Tells the window from a cycle's thread: the message is posted, the timer stop is left to the
// window's own thread.
class WindowNotifier final : public poller::UiNotifier {
  public:
    explicit WindowNotifier(HWND hwnd) : hwnd_(hwnd) {}
    void stop_retry_timer() override { retry_stop_requested_.store(true); }
    void usage_updated() override { PostMessageW(hwnd_, WM_APP_USAGE_UPDATED, 0, 0); }
    bool take_stop_request() noexcept { return retry_stop_requested_.exchange(false); }

  private:
    HWND hwnd_;
    std::atomic<bool> retry_stop_requested_{false};
};

struct BackgroundWork {
    BackgroundWork(HWND hwnd, poller::Endpoints endpoints) : notifier(hwnd) {
        context.notifier = &notifier;
        context.endpoints = std::move(endpoints);
    }
    WindowNotifier notifier;
    poller::PollContext context;
    std::atomic<bool> initial_poll{true};
    // Declared last: its worker uses the members above.
    poller::PollScheduler scheduler{[this] {
        if (initial_poll.exchange(false)) {
            diagnostics::log_line("initial poll thread started");
        }
        poller::poll_all_accounts(context);
    }};
};

// Never destroyed: a cycle may still be running when the message loop ends, and exiting must not
// wait for the network.
BackgroundWork* work = nullptr;

accounts::OperationContext operation_context() {
    accounts::OperationContext context;
    context.settings_path = settings::settings_path();
    context.poll = [] { request_poll(); };
    return context;
}

}  // namespace

void start_background_work(HWND hwnd, poller::Endpoints endpoints) {
    if (work == nullptr) {
        work = new BackgroundWork(hwnd, std::move(endpoints));
    }
}

void request_poll() noexcept {
    if (work == nullptr) {
        return;
    }
    try {
        work->scheduler.trigger();
    } catch (...) {
        diagnostics::log_line("failed to spawn thread");
        std::abort();
    }
}

void start_account_task(const menu::AccountTask& task) noexcept {
    try {
        auto context = operation_context();
        switch (task.operation) {
            case menu::AccountOperation::Add:
                accounts::start_account_operation(
                    [provider = task.provider, context] { (void)accounts::add_account(provider, context); });
                break;
            case menu::AccountOperation::Relogin:
                if (task.account) {
                    accounts::start_account_operation([account = *task.account, context] {
                        (void)accounts::relogin_account(account.id, account.provider, account.dir, context);
                    });
                }
                break;
            case menu::AccountOperation::Remove:
                if (task.account) {
                    accounts::start_account_operation([account = *task.account, context] {
                        accounts::remove_account(account.id, account.provider, account.dir, context);
                    });
                }
                break;
        }
    } catch (...) {
        diagnostics::log_line("failed to spawn thread");
        std::abort();
    }
}

bool take_retry_stop_request() noexcept {
    return work != nullptr && work->notifier.take_stop_request();
}

}  // namespace window

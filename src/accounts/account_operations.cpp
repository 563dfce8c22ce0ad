#include "accounts/account_operations.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <set>
#include <thread>

#include "accounts/account_registry.hpp"
#include "accounts/claude_credentials.hpp"
#include "accounts/codex_credentials.hpp"
#include "accounts/login.hpp"
#include "diagnostics/log.hpp"
#include "platform/file_io.hpp"
#include "state/save_settings.hpp"
#include "text/path_text.hpp"

namespace accounts {
namespace {

// Ids handed to adds that are still running, so that two adds at once never pick the same one.
// An id is chosen and reserved under the state lock (and this set's own mutex, taken inside it).
std::set<std::string>& reserved_ids() {
    static std::set<std::string>* ids = new std::set<std::string>();
    return *ids;
}
std::mutex& reservation_mutex() {
    static std::mutex* mutex = new std::mutex();  // used while the state is not set up yet
    return *mutex;
}

std::string reserve_id(Provider provider, state::StateSlot& slot) {
    const auto guard = slot.lock();
    std::lock_guard<std::mutex> held(reservation_mutex());
    std::vector<Account> taken = guard ? guard->accounts : std::vector<Account>{};
    for (const std::string& id : reserved_ids()) {
        taken.push_back(Account{id, provider, {}, std::nullopt, 0});
    }
    std::string id = next_account_id(provider, taken);
    reserved_ids().insert(id);
    return id;
}

void release_id(const std::string& id) {
    std::lock_guard<std::mutex> held(reservation_mutex());
    reserved_ids().erase(id);
}

void delete_directory(const std::filesystem::path& settings_path, const std::filesystem::path& dir) {
    if (!inside_accounts_folder(settings_path, dir)) {
        return;  // a folder the user named by hand stays on disk
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

void save_and_poll(const OperationContext& context) {
    (void)state::save_settings(*context.slot, context.settings_path);
    if (context.poll) {
        context.poll();
    }
}

void log_out(Provider provider, const std::filesystem::path& dir, const ToolSession& tools) {
    std::optional<platform::ChildCommand> command;
    if (provider == Provider::Codex) {
        command = tools.locator.codex_command({"logout"}, dir);
    } else {
        // Unlike login, status and refresh, logout keeps the caller's Claude session variables.
        command = claude_command_for(tools, {"auth", "logout"}, dir, ClaudeEnvironment::Inherited);
    }
    if (command) {
        discard_all_streams(*command);
        (void)platform::run_with_timeout(*command, tools.limits.logout, *tools.clock);
    }
}

}  // namespace

bool inside_accounts_folder(const std::filesystem::path& settings_path, const std::filesystem::path& dir) {
    std::error_code ec;
    const auto root = std::filesystem::weakly_canonical(
        std::filesystem::absolute(account_dir(settings_path, "x").parent_path(), ec), ec);
    if (ec) {
        return false;
    }
    const auto target = std::filesystem::weakly_canonical(std::filesystem::absolute(dir, ec), ec);
    if (ec) {
        return false;
    }
    const auto relative = target.lexically_relative(root);
    return !relative.empty() && *relative.begin() != ".." && relative != ".";
}

std::optional<std::string> add_account(Provider provider, const OperationContext& context) {
    const std::string id = reserve_id(provider, *context.slot);
    const std::filesystem::path dir = account_dir(context.settings_path, id);
    diagnostics::log_owned(fmt::format("add account: provider={} id={} dir={}", provider_debug_name(provider),
                                       id, text::path_to_utf8(dir).value_or("?")));
    if (!login(provider, dir, context.tools)) {
        delete_directory(context.settings_path, dir);
        release_id(id);
        diagnostics::log_line("add account: login failed/cancelled");
        return std::nullopt;
    }
    const std::optional<std::string> email = account_email(provider, dir, context.tools);
    {
        const auto guard = context.slot->lock();
        if (guard) {
            guard->accounts.push_back(
                Account{id, provider, dir, email, static_cast<std::uint32_t>(guard->accounts.size())});
            if (guard->tray_accounts && std::find(guard->tray_accounts->begin(), guard->tray_accounts->end(),
                                                  id) == guard->tray_accounts->end()) {
                guard->tray_accounts->push_back(id);
            }
        }
        release_id(id);  // the entry itself now keeps the id taken
    }
    save_and_poll(context);
    return id;
}

bool relogin_account(const std::string& id, Provider provider, const std::filesystem::path& dir,
                     const OperationContext& context) {
    if (!login(provider, dir, context.tools)) {
        diagnostics::log_line("re-login: login failed/cancelled");
        return false;
    }
    const std::optional<std::string> email = account_email(provider, dir, context.tools);
    {
        const auto guard = context.slot->lock();
        if (guard && email) {
            if (Account* account = find_account(guard->accounts, id)) {
                account->email = email;
            }
        }
    }
    save_and_poll(context);
    return true;
}

void remove_account(const std::string& id, Provider provider, const std::filesystem::path& dir,
                    const OperationContext& context) {
    log_out(provider, dir, context.tools);
    delete_directory(context.settings_path, dir);
    {
        const auto guard = context.slot->lock();
        if (guard) {
            auto& list = guard->accounts;
            const auto it =
                std::find_if(list.begin(), list.end(), [&](const Account& a) { return a.id == id; });
            if (it != list.end()) {
                list.erase(it);
            }
            if (guard->tray_accounts) {
                auto& tray = *guard->tray_accounts;
                tray.erase(std::remove(tray.begin(), tray.end(), id), tray.end());
            }
        }
    }
    save_and_poll(context);
}

bool has_usable_credentials(Provider provider, const std::filesystem::path& dir) {
    if (provider == Provider::Codex) {
        return load_codex_tokens(dir).has_value();
    }
    const auto credentials = load_claude_credentials(CredentialSource{dir});
    return credentials && !credentials->access_token.empty();
}

std::optional<std::string> adopt_account(Provider provider, const std::filesystem::path& dir,
                                         const OperationContext& context) {
    const std::string id = reserve_id(provider, *context.slot);
    diagnostics::log_owned(fmt::format("adopt account: provider={} id={} dir={}",
                                       provider_debug_name(provider), id,
                                       text::path_to_utf8(dir).value_or("?")));
    if (!has_usable_credentials(provider, dir)) {
        const bool existed = platform::path_exists(dir);
        if (!login(provider, dir, context.tools)) {
            if (!existed) {
                // Only what the failed sign-in put there; a folder the user had stays.
                std::error_code ignored;
                std::filesystem::remove_all(dir, ignored);
            }
            release_id(id);
            diagnostics::log_line("adopt account: login failed/cancelled");
            return std::nullopt;
        }
    }
    const std::optional<std::string> email = account_email(provider, dir, context.tools);
    {
        const auto guard = context.slot->lock();
        if (guard) {
            guard->accounts.push_back(
                Account{id, provider, dir, email, static_cast<std::uint32_t>(guard->accounts.size())});
            if (guard->tray_accounts && std::find(guard->tray_accounts->begin(), guard->tray_accounts->end(),
                                                  id) == guard->tray_accounts->end()) {
                guard->tray_accounts->push_back(id);
            }
        }
        release_id(id);
    }
    save_and_poll(context);
    return id;
}

bool forget_account(const std::string& id, const std::filesystem::path& dir,
                    const OperationContext& context) {
    {
        const auto guard = context.slot->lock();
        if (!guard) {
            return false;
        }
        auto& list = guard->accounts;
        const auto it = std::find_if(list.begin(), list.end(), [&](const Account& a) { return a.id == id; });
        if (it == list.end() || it->dir != dir) {
            return false;
        }
        list.erase(it);
        if (guard->tray_accounts) {
            auto& tray = *guard->tray_accounts;
            tray.erase(std::remove(tray.begin(), tray.end(), id), tray.end());
        }
    }
    diagnostics::log_owned(fmt::format("forget account: id={}", id));
    save_and_poll(context);
    return true;
}

void start_account_operation(std::function<void()> operation) {
    std::thread([operation = std::move(operation)]() noexcept {
        try {
            operation();
        } catch (...) {
            // An operation reports its own failures in the log; nothing may end the program here.
        }
    }).detach();
}

}  // namespace accounts

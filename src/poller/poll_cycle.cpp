#include "poller/poll_cycle.hpp"

#include "accounts/account_admission.hpp"
#include "accounts/codex_credentials.hpp"
#include "accounts/login.hpp"
#include "accounts/token_refresh.hpp"
#include "poller/claude_usage.hpp"
#include "poller/codex_usage.hpp"

namespace poller {
namespace {

PollSequence& process_sequence() {
    static PollSequence* sequence = new PollSequence();  // never destroyed: poll threads are detached
    return *sequence;
}

FetchResult poll_codex(const accounts::Account& account, const PollContext& context,
                       const accounts::ToolSession& tools) {
    auto tokens = accounts::load_codex_tokens(account.dir);
    if (!tokens) {
        return FetchFailure::Failed;
    }
    FetchResult result = fetch_codex_usage(tokens->access_token, tokens->account_id, context.endpoints);
    if (result != FetchResult(FetchFailure::AuthRejected)) {
        return result;
    }
    // One refresh per account and cycle; the second answer stands, whatever it is.
    if (!accounts::refresh_codex_token(account.dir, tools)) {
        return result;
    }
    tokens = accounts::load_codex_tokens(account.dir);
    if (!tokens) {
        return FetchFailure::Failed;
    }
    return fetch_codex_usage(tokens->access_token, tokens->account_id, context.endpoints);
}

FetchResult poll_claude(const accounts::Account& account, const PollContext& context,
                        const accounts::ToolSession& tools) {
    ClaudeFetchContext fetch;
    fetch.token = [&context, &tools](const std::filesystem::path& dir) -> std::optional<std::string> {
        auto resolved = accounts::resolve_claude_credentials(dir, tools, context.now);
        if (auto* credentials = std::get_if<accounts::ClaudeCredentials>(&resolved)) {
            return std::move(credentials->access_token);
        }
        return std::nullopt;
    };
    fetch.endpoints = context.endpoints;
    fetch.cache = context.cache;
    fetch.cooldowns = context.cooldowns;
    fetch.retired_models = context.retired_models;
    fetch.now = context.now;
    return fetch_claude_usage(account.dir, fetch);
}

}  // namespace

std::vector<UsageSnapshot> poll_accounts(const std::vector<accounts::Account>& list,
                                         const PollContext& context) {
    std::vector<UsageSnapshot> usage;
    usage.reserve(list.size());
    for (const accounts::Account& account : list) {
        const bool codex = account.provider == accounts::Provider::Codex;
        // A tool runs in the account's folder only while the account is still listed: a removal
        // during the cycle must not see its folder made again by a late refresh.
        accounts::ToolSession tools = context.tools;
        tools.admit = accounts::admit_while_listed(*context.slot, account.id, account.dir);
        FetchResult result =
            codex ? poll_codex(account, context, tools) : poll_claude(account, context, tools);
        UsageSnapshot entry;
        entry.account_id = account.id;
        entry.provider = account.provider;
        if (auto* data = std::get_if<UsageData>(&result)) {
            entry.usage = std::move(*data);
            if (tools.refresh_limit != nullptr) {
                tools.refresh_limit->forget(account.dir);  // the credentials work again
            }
        }
        entry.label = accounts::kept_account_email(account.provider, account.dir, tools, context.labels);
        if (!entry.label) {
            entry.label = account.email;
        }
        usage.push_back(std::move(entry));
    }
    return usage;
}

void poll_all_accounts(const PollContext& context) {
    PollSequence& sequence = context.sequence != nullptr ? *context.sequence : process_sequence();
    const std::uint64_t number = ++sequence.started;
    std::vector<accounts::Account> list;
    {
        const auto guard = context.slot->lock();
        if (guard) {
            list = guard->accounts;
        }
    }
    std::vector<UsageSnapshot> usage = poll_accounts(list, context);
    {
        const auto guard = context.slot->lock();
        // A cycle that started later has stored already: its list is the newer one.
        if (guard && number > sequence.stored) {
            if (!any_reset_reached(usage, context.now) && context.notifier != nullptr) {
                context.notifier->stop_retry_timer();
            }
            guard->usage = std::move(usage);
            guard->has_polled = true;
            sequence.stored = number;
        }
    }
    if (context.notifier != nullptr) {
        context.notifier->usage_updated();
    }
}

}  // namespace poller

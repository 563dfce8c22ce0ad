#pragma once
// Adding, logging in again and removing accounts. Each blocks for as long as the tool's login
// takes (minutes, while the user signs in), so callers run them on threads of their own; each
// ends by saving the settings and asking for a poll cycle.

#include <filesystem>
#include <functional>
#include <string>

#include "accounts/account.hpp"
#include "accounts/tool_session.hpp"
#include "state/app_state.hpp"

namespace accounts {

struct OperationContext {
    state::StateSlot* slot = &state::app_state();
    std::filesystem::path settings_path;
    ToolSession tools;
    std::function<void()> poll;  // runs or schedules one poll cycle
};

// A new directory under the accounts folder, the tool's login there, and a new entry when it
// succeeded. Returns the new id, or nothing when the login failed (nothing is left behind). The
// id passes over ids whose folder is already on disk, so no older folder is ever signed in over.
std::optional<std::string> add_account(Provider provider, const OperationContext& context);

// The tool's login again in the account's directory; the stored address is refreshed. Only while
// the list still holds this id with this directory; false (nothing done) otherwise.
bool relogin_account(const std::string& id, Provider provider, const std::filesystem::path& dir,
                     const OperationContext& context);

// The entry, and when the directory lies in the accounts folder the tool's logout and the
// directory (links inside are deleted, never followed; what cannot be deleted is logged); any
// other directory is left as it is, signed in. Nothing at all unless the list still holds this
// id with this directory.
void remove_account(const std::string& id, Provider provider, const std::filesystem::path& dir,
                    const OperationContext& context);

// Watches a configuration directory the user already signed in to (the tool's own default folder,
// say): no sign-in when it holds usable credentials, otherwise the tool's login there as add does.
// The entry's dir is `dir` itself and the id follows the usual rule. Returns the new id, or
// nothing when the sign-in failed (a directory that did not exist before is removed again).
std::optional<std::string> adopt_account(Provider provider, const std::filesystem::path& dir,
                                         const OperationContext& context);

// Whether `dir` holds credentials the poll can use: a token in ".credentials.json" (Claude) or
// tokens in "auth.json" (Codex). An expired token counts, since the tool renews it.
[[nodiscard]] bool has_usable_credentials(Provider provider, const std::filesystem::path& dir);

// Takes the entry off the list (and off the tray selection) and saves, without the tool's logout
// and without touching the directory: for a folder the user keeps using outside this program.
// Acts only when the first entry with `id` still has `dir`; returns whether it did.
bool forget_account(const std::string& id, const std::filesystem::path& dir, const OperationContext& context);

// True when `dir` lies strictly inside <settings folder>/accounts: only such folders are ours to delete.
[[nodiscard]] bool inside_accounts_folder(const std::filesystem::path& settings_path,
                                          const std::filesystem::path& dir);

// Runs an operation on a detached thread of its own.
void start_account_operation(std::function<void()> operation);

}  // namespace accounts

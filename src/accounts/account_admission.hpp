#pragma once
// Whether the account an operation or a poll was started for is still the one in the list: the
// same id with the same folder. Two quick removals, or a poll that outlives a removal, must not
// act on a folder the list no longer names (or on a new account that reused the id).

#include <filesystem>
#include <string>

#include "accounts/account.hpp"
#include "accounts/tool_session.hpp"
#include "state/app_state.hpp"

namespace accounts {

// The first account with `id` has `dir` as its folder. Call it under the state lock.
[[nodiscard]] bool still_listed(const std::vector<Account>& list, const std::string& id,
                                const std::filesystem::path& dir);

// Admits a tool into the account's folder only while the account is still listed: checked under
// the state lock, which is held until the folder is marked busy, so a removal that takes the
// account out of the list afterwards waits for the tool to end.
[[nodiscard]] FolderAdmission admit_while_listed(state::StateSlot& slot, std::string id,
                                                 std::filesystem::path dir);

}  // namespace accounts

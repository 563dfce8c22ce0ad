#pragma once
// How new accounts are named and where their directories go.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "accounts/account.hpp"

namespace accounts {

// The first of provider-1, provider-2, ... that no account in `in_use` has; gaps are filled first.
[[nodiscard]] std::string next_account_id(Provider provider, const std::vector<Account>& in_use);

// The same, also passing over every id for which `also_taken` is true.
[[nodiscard]] std::string next_account_id(Provider provider, const std::vector<Account>& in_use,
                                          const std::function<bool(const std::string& id)>& also_taken);

// Whether something (a folder, a file, a link, even a broken one) is at `path`.
[[nodiscard]] bool taken_on_disk(const std::filesystem::path& path);

// <folder of the settings file>/accounts/<id>; "." stands in for a settings path without a folder.
[[nodiscard]] std::filesystem::path account_dir(const std::filesystem::path& settings_path,
                                                const std::string& id);

// The first account whose id equals `id` byte for byte, or nullptr.
[[nodiscard]] const Account* find_account(const std::vector<Account>& list, const std::string& id) noexcept;
[[nodiscard]] Account* find_account(std::vector<Account>& list, const std::string& id) noexcept;

}  // namespace accounts

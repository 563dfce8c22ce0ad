#include "accounts/account_registry.hpp"

#include <algorithm>

#include "text/path_text.hpp"

namespace accounts {

std::string next_account_id(Provider provider, const std::vector<Account>& in_use) {
    return next_account_id(provider, in_use, [](const std::string&) { return false; });
}

std::string next_account_id(Provider provider, const std::vector<Account>& in_use,
                            const std::function<bool(const std::string& id)>& also_taken) {
    const std::string prefix = std::string(provider_json_name(provider)) + "-";
    for (unsigned long long n = 1;; ++n) {
        std::string candidate = prefix + std::to_string(n);
        const bool taken = std::any_of(in_use.begin(), in_use.end(),
                                       [&](const Account& account) { return account.id == candidate; });
        if (!taken && !also_taken(candidate)) {
            return candidate;
        }
    }
}

bool taken_on_disk(const std::filesystem::path& path) {
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(path, ec);
    return !ec && status.type() != std::filesystem::file_type::not_found;
}

std::filesystem::path account_dir(const std::filesystem::path& settings_path, const std::string& id) {
    std::filesystem::path base = settings_path.parent_path();
    if (base.empty()) {
        base = ".";
    }
    return base / "accounts" / text::path_from_utf8(id).value_or(std::filesystem::path("invalid-id"));
}

const Account* find_account(const std::vector<Account>& list, const std::string& id) noexcept {
    const auto it = std::find_if(list.begin(), list.end(), [&](const Account& a) { return a.id == id; });
    return it == list.end() ? nullptr : &*it;
}

Account* find_account(std::vector<Account>& list, const std::string& id) noexcept {
    const auto it = std::find_if(list.begin(), list.end(), [&](const Account& a) { return a.id == id; });
    return it == list.end() ? nullptr : &*it;
}

}  // namespace accounts

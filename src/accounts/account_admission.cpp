#include "accounts/account_admission.hpp"

#include "accounts/account_registry.hpp"

namespace accounts {

bool still_listed(const std::vector<Account>& list, const std::string& id, const std::filesystem::path& dir) {
    const Account* account = find_account(list, id);
    return account != nullptr && account->dir == dir;
}

FolderAdmission admit_while_listed(state::StateSlot& slot, std::string id, std::filesystem::path dir) {
    return [&slot, id = std::move(id),
            dir = std::move(dir)](const std::filesystem::path& folder) -> std::optional<FolderUses::Lease> {
        const auto guard = slot.lock();
        if (!guard || !still_listed(guard->accounts, id, dir)) {
            return std::nullopt;
        }
        return folder_uses().enter(folder);
    };
}

}  // namespace accounts

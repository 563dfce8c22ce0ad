#include "accounts/folder_uses.hpp"

namespace accounts {
namespace {

std::filesystem::path key_of(const std::filesystem::path& folder) {
    return folder.lexically_normal();
}

}  // namespace

FolderUses::Lease::Lease(FolderUses* owner, std::filesystem::path folder) noexcept
    : owner_(owner), folder_(std::move(folder)) {}

FolderUses::Lease::Lease(Lease&& other) noexcept
    : owner_(std::exchange(other.owner_, nullptr)), folder_(std::move(other.folder_)) {}

FolderUses::Lease& FolderUses::Lease::operator=(Lease&& other) noexcept {
    if (this != &other) {
        if (owner_ != nullptr) {
            owner_->leave(folder_);
        }
        owner_ = std::exchange(other.owner_, nullptr);
        folder_ = std::move(other.folder_);
    }
    return *this;
}

FolderUses::Lease::~Lease() {
    if (owner_ != nullptr) {
        owner_->leave(folder_);
    }
}

FolderUses::Lease FolderUses::enter(const std::filesystem::path& folder) {
    std::filesystem::path key = key_of(folder);
    const std::lock_guard lock(mutex_);
    ++busy_[key];
    return Lease(this, std::move(key));
}

void FolderUses::wait_until_unused(const std::filesystem::path& folder) {
    const std::filesystem::path key = key_of(folder);
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return busy_.find(key) == busy_.end(); });
}

void FolderUses::leave(const std::filesystem::path& folder) noexcept {
    const std::lock_guard lock(mutex_);
    const auto it = busy_.find(folder);
    if (it != busy_.end() && --it->second == 0) {
        busy_.erase(it);
    }
    changed_.notify_all();
}

FolderUses& folder_uses() {
    static FolderUses* uses = new FolderUses();  // never destroyed: detached threads may hold leases
    return *uses;
}

}  // namespace accounts

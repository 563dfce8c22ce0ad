#pragma once
// Which account folders a tool is at work in. A removal first takes its account out of the list,
// so no new tool is let in, then waits here for the tools still at work before it deletes the
// folder: a refresh that ends late can never re-create a removed folder with fresh credentials.

#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <utility>

namespace accounts {

class FolderUses {
  public:
    // Marks a folder busy until it is destroyed.
    class Lease {
      public:
        Lease(Lease&& other) noexcept;
        Lease& operator=(Lease&& other) noexcept;
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        ~Lease();

      private:
        friend class FolderUses;
        Lease(FolderUses* owner, std::filesystem::path folder) noexcept;
        FolderUses* owner_;
        std::filesystem::path folder_;
    };

    [[nodiscard]] Lease enter(const std::filesystem::path& folder);

    // Returns once no lease on `folder` is left.
    void wait_until_unused(const std::filesystem::path& folder);

  private:
    void leave(const std::filesystem::path& folder) noexcept;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::filesystem::path, int> busy_;
};

// The process-wide record.
[[nodiscard]] FolderUses& folder_uses();

}  // namespace accounts

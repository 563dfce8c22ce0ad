#pragma once
// The address each poll shows for an account. The Claude tool's status query costs a process start
// (a Node program, on the real tool), so its answer is kept until the folder's credential file
// changes (a sign-in, a sign-out or a refresh rewrites it) or 30 minutes pass.

#include <chrono>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "accounts/account.hpp"
#include "accounts/file_stamp.hpp"
#include "accounts/tool_session.hpp"

namespace accounts {

inline constexpr std::chrono::minutes LABEL_KEEP{30};

class LabelCache {
  public:
    // The kept answer for the folder, when its credential file still has `stamp` and the
    // answer is younger than LABEL_KEEP at `now`.
    [[nodiscard]] std::optional<std::optional<std::string>> find(
        const std::filesystem::path& dir, const std::optional<FileStamp>& stamp,
        platform::MonotonicClock::TimePoint now) const;
    void store(const std::filesystem::path& dir, const std::optional<FileStamp>& stamp,
               platform::MonotonicClock::TimePoint now, std::optional<std::string> label);

  private:
    struct Entry {
        std::optional<FileStamp> stamp;
        platform::MonotonicClock::TimePoint asked_at;
        std::optional<std::string> label;
    };
    mutable std::mutex mutex_;
    std::map<std::filesystem::path, Entry> entries_;
};

// The one the program's polls share.
[[nodiscard]] LabelCache& label_cache();

// account_email, with a Claude answer kept in `cache` (none: asked every time). Codex reads its
// own file, which starts nothing.
[[nodiscard]] std::optional<std::string> kept_account_email(Provider provider,
                                                            const std::filesystem::path& dir,
                                                            const ToolSession& session, LabelCache* cache);

}  // namespace accounts

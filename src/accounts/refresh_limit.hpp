#pragma once
// The tools' token refresh is a real prompt on the user's account. One that left the credential
// file as it was did not help, and the next would most likely not either (a block page in front
// of the endpoint, a token the tool cannot renew): it is not repeated within 30 minutes unless the
// file changes (a re-login, the tool's own renewal) or the account reads its usage meanwhile.

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>

#include "platform/process.hpp"

namespace accounts {

inline constexpr std::chrono::minutes UNHELPFUL_REFRESH_PAUSE{30};

class RefreshLimit {
  public:
    using TimePoint = platform::MonotonicClock::TimePoint;

    // Whether a refresh may run now in `dir`, whose credential file reads as `file` says.
    [[nodiscard]] bool allows(const std::filesystem::path& dir, const std::filesystem::path& file,
                              TimePoint now) const;
    // Runs `refresh` in `dir` when allowed, noting whether it changed `file`; whether it ran.
    template <typename Refresh>
    bool run(const std::filesystem::path& dir, const std::filesystem::path& file, TimePoint now,
             Refresh refresh) {
        if (!allows(dir, file, now)) {
            return false;
        }
        const auto before = fingerprint(file);
        refresh();
        noted(dir, before, fingerprint(file), now);
        return true;
    }
    // The account read its usage: a later refresh runs at once.
    void forget(const std::filesystem::path& dir);

    // A digest of the file's contents; nothing when it cannot be read.
    [[nodiscard]] static std::optional<std::size_t> fingerprint(const std::filesystem::path& file);

  private:
    void noted(const std::filesystem::path& dir, std::optional<std::size_t> before,
               std::optional<std::size_t> after, TimePoint now);

    struct Unhelpful {
        TimePoint at;
        std::optional<std::size_t> file;
    };
    mutable std::mutex mutex_;
    std::map<std::filesystem::path, Unhelpful> unhelpful_;
};

// The process-wide limit the polls use.
[[nodiscard]] RefreshLimit& refresh_limit();

}  // namespace accounts

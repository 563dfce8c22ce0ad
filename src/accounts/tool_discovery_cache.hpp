#pragma once
// What tool discovery found, kept so that a steady poll starts no "--version" probe: a found tool
// until its file changes (size or modification time) or PATH changes, a missing one until PATH
// changes or five minutes pass (a tool installed meanwhile is then found).

#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "accounts/file_stamp.hpp"
#include "platform/process.hpp"

namespace accounts {

inline constexpr std::chrono::minutes MISSING_TOOL_RECHECK{5};

// A located tool: its full path when found, else the default name (for the log; never started).
struct LocatedTool {
    std::string program;
    bool found = false;
    friend bool operator==(const LocatedTool&, const LocatedTool&) = default;
};

class DiscoveryCache {
  public:
    explicit DiscoveryCache(const platform::MonotonicClock& clock = platform::steady_clock());

    // The kept result for the tool, when it still holds under this PATH value.
    [[nodiscard]] std::optional<LocatedTool> find(const std::string& tool,
                                                  const std::string& search_path) const;
    void store(const std::string& tool, const std::string& search_path, const LocatedTool& located);
    void clear();

  private:
    struct Entry {
        std::string search_path;
        LocatedTool located;
        std::optional<FileStamp> stamp;
        platform::MonotonicClock::TimePoint looked_at;
    };
    const platform::MonotonicClock* clock_;
    mutable std::mutex mutex_;
    std::map<std::string, Entry> entries_;
};

// The one the program's locators share.
[[nodiscard]] DiscoveryCache& discovery_cache();

}  // namespace accounts

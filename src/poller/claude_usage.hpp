#pragma once
// One Claude account's usage: the OAuth usage endpoint, with the Messages headers as fallback
// and to fill missing reset times, and the cached per-model bars.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "poller/endpoints.hpp"
#include "poller/retired_models.hpp"
#include "poller/usage_cooldown.hpp"
#include "poller/usage_model.hpp"
#include "poller/weekly_scoped_cache.hpp"

namespace poller {

// A usable access token for the directory (loaded, and refreshed once when expired), or nothing.
using ClaudeTokenSource = std::function<std::optional<std::string>(const std::filesystem::path& dir)>;

struct ClaudeFetchContext {
    ClaudeTokenSource token;
    Endpoints endpoints;
    WeeklyScopedCache* cache = &weekly_scoped_cache();
    UsageCooldowns* cooldowns = &usage_cooldowns();
    RetiredModels* retired_models = &poller::retired_models();
    Clock now = platform::precise_now;
};

[[nodiscard]] FetchResult fetch_claude_usage(const std::filesystem::path& dir,
                                             const ClaudeFetchContext& context);

// The directory's last component as log lines show it; "?" when there is none.
[[nodiscard]] std::string short_dir_name(const std::filesystem::path& dir);

}  // namespace poller

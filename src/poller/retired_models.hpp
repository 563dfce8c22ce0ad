#pragma once
// Models the Messages endpoint has said it no longer knows. A retired model answers the same way
// on every request, so asking it again only doubles each fallback; it is skipped until the
// program starts again.

#include <mutex>
#include <set>
#include <string>
#include <string_view>

#include "poller/http_response.hpp"

namespace poller {

class RetiredModels {
  public:
    [[nodiscard]] bool contains(std::string_view model) const;
    void add(std::string_view model);

  private:
    mutable std::mutex mutex_;
    std::set<std::string, std::less<>> models_;
};

// The process-wide set the poll uses.
[[nodiscard]] RetiredModels& retired_models();

// Whether a Messages answer says the model does not exist: 404, or 400 whose error type is
// "not_found_error".
[[nodiscard]] bool names_unknown_model(const HttpResponse& answer);

}  // namespace poller

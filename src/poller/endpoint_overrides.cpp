#include "poller/endpoint_overrides.hpp"

#include <fmt/format.h>

#include <optional>
#include <string>

#include "diagnostics/log.hpp"
#include "platform/environment.hpp"
#include "poller/redaction.hpp"
#include "text/path_text.hpp"

namespace poller {
namespace {

std::optional<std::string> override_of(std::string_view variable) {
    auto value = platform::get_env(variable);
    if (!value || value->empty()) {
        return std::nullopt;
    }
    diagnostics::log_owned(fmt::format("developer override {}={}", variable, url_for_log(*value)));
    return value;
}

std::string without_trailing_slashes(std::string url) {
    while (!url.empty() && url.back() == '/') {
        url.pop_back();
    }
    return url;
}

}  // namespace

Endpoints endpoints_from_environment() {
    Endpoints endpoints;
    if (auto base = override_of(ANTHROPIC_BASE_VARIABLE)) {
        endpoints.anthropic = without_trailing_slashes(std::move(*base));
    }
    if (auto base = override_of(CHATGPT_BASE_VARIABLE)) {
        endpoints.chatgpt = without_trailing_slashes(std::move(*base));
    }
    if (const auto ca_file = override_of(CA_FILE_VARIABLE)) {
        endpoints.http.ca_file = text::path_from_utf8(*ca_file);
    }
    return endpoints;
}

}  // namespace poller

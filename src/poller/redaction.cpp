#include "poller/redaction.hpp"

namespace poller {

std::string redact_secret(std::string text, std::string_view secret) {
    if (secret.empty()) {
        return text;
    }
    for (std::size_t at = text.find(secret); at != std::string::npos;
         at = text.find(secret, at + REDACTED.size())) {
        text.replace(at, secret.size(), REDACTED);
    }
    return text;
}

}  // namespace poller

#include "poller/redaction.hpp"

#include <algorithm>
#include <vector>

namespace poller {
namespace {

// Length in bytes of the first `characters` UTF-8 characters of `text`.
std::size_t prefix_bytes(std::string_view text, std::size_t characters) {
    std::size_t at = 0;
    for (std::size_t n = 0; at < text.size() && n < characters; ++n) {
        ++at;
        while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) {
            ++at;  // continuation bytes stay with their character
        }
    }
    return at;
}

}  // namespace

std::string redact_secret(std::string text, std::string_view secret) {
    const std::size_t threshold = std::min(secret.size(), MIN_MASKED_RUN);
    if (threshold == 0 || text.size() < threshold) {
        return text;
    }
    // longest[i]: the longest run from text[i] that also occurs in the secret. run[j] holds how far
    // text[i...] and secret[j...] agree for the current i, filled from the end.
    std::vector<std::size_t> longest(text.size() + 1, 0);
    std::vector<std::size_t> run(secret.size() + 1, 0);
    for (std::size_t i = text.size(); i-- > 0;) {
        for (std::size_t j = 0; j < secret.size(); ++j) {
            run[j] = text[i] == secret[j] ? run[j + 1] + 1 : 0;
            longest[i] = std::max(longest[i], run[j]);
        }
    }
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        if (longest[i] < threshold) {
            out += text[i++];
            continue;
        }
        // One mark for runs that overlap, so that no tail of a later run shows.
        std::size_t end = i + longest[i];
        for (std::size_t k = i + 1; k < end; ++k) {
            if (longest[k] >= threshold) {
                end = std::max(end, k + longest[k]);
            }
        }
        out += REDACTED;
        i = end;
    }
    return out;
}

std::string server_text_for_log(std::string_view text, std::string_view secret) {
    // Masked before the cut, over enough text that a token running across the cut is seen whole.
    const std::size_t window = prefix_bytes(text, MAX_LOGGED_SERVER_TEXT + secret.size());
    std::string masked = redact_secret(std::string(text.substr(0, window)), secret);
    std::size_t kept = prefix_bytes(masked, MAX_LOGGED_SERVER_TEXT);
    // A mark is never cut in two.
    const std::size_t mark = masked.rfind(REDACTED, kept == 0 ? 0 : kept - 1);
    if (mark != std::string::npos && mark < kept && mark + REDACTED.size() > kept) {
        kept = mark + REDACTED.size();
    }
    if (kept < masked.size() || window < text.size()) {
        masked.resize(kept);
        masked += "...";
    }
    return masked;
}

std::string url_for_log(std::string_view url) {
    const std::size_t scheme = url.find("://");
    const std::size_t start = scheme == std::string_view::npos ? 0 : scheme + 3;
    const std::size_t authority_end = std::min(url.find_first_of("/?#", start), url.size());
    const std::size_t at = url.substr(0, authority_end).rfind('@');
    if (at == std::string_view::npos || at < start) {
        return std::string(url);
    }
    return std::string(url.substr(0, start)) + std::string(url.substr(at + 1));
}

}  // namespace poller

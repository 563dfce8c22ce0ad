// Header lookup and JSON reading of an answer.
#include "poller/http_response.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>

namespace poller {
namespace {

bool equal_ignoring_case(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

std::optional<std::string> find_header(const HttpHeaders& headers, std::string_view name) {
    const auto found = std::find_if(headers.begin(), headers.end(), [name](const HttpHeader& h) {
        return equal_ignoring_case(h.name, name);
    });
    if (found == headers.end()) {
        return std::nullopt;
    }
    return found->value;
}

std::string HttpResponse::json_error_text(std::string_view decoder_message) {
    return fmt::format("Failed to read JSON: {}", decoder_message);
}

std::variant<Json, std::string> HttpResponse::read_json() const {
    if (body_too_large) {
        return fmt::format("response body is larger than {} bytes", MAX_BODY_BYTES);
    }
    if (!body_error.empty()) {
        return body_error;
    }
    auto parsed = strict_json::parse(body, strict_json::RepeatedKeys::MarkUnusable);
    if (auto* error = std::get_if<strict_json::ParseError>(&parsed)) {
        if (error->line == 0) {
            return json_error_text(error->message);
        }
        return json_error_text(
            fmt::format("{} at line {} column {}", error->message, error->line, error->column));
    }
    return std::get<Json>(std::move(parsed));
}

}  // namespace poller

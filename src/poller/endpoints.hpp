#pragma once
// Where the fetchers send their requests, and how. The program uses the defaults; tests point
// the fetchers at local servers and shorten the deadlines.

#include <string>

#include "poller/http_client.hpp"

namespace poller {

inline constexpr std::string_view ANTHROPIC_API_BASE = "https://api.anthropic.com";
inline constexpr std::string_view CHATGPT_BASE = "https://chatgpt.com";

struct Endpoints {
    std::string anthropic = std::string(ANTHROPIC_API_BASE);
    std::string chatgpt = std::string(CHATGPT_BASE);
    HttpSettings http;
};

}  // namespace poller

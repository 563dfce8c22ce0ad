#pragma once
// Answers the providers' real endpoints are known to give, for the stand-in servers to play.

#include <string>

#include "http_test_server.hpp"

namespace test_fakes {

// A Messages request for a model that has been retired ("claude-3-haiku-20240307" since April 2026).
inline test_http::Reply retired_model_answer(int status = 404) {
    return test_http::Reply{status,
                            {},
                            R"({"type":"error","error":{"type":"not_found_error","message":"model: )"
                            R"(claude-3-haiku-20240307"}})"};
}

// The Claude usage endpoint pushing back for an hour or more while naming no wait.
inline test_http::Reply rate_limited_without_wait(const char* retry_after = "0") {
    return test_http::Reply{429, {{"Retry-After", retry_after}}, R"({"error":{"type":"rate_limit_error"}})"};
}

// The Claude usage answer of an account whose five-hour window has not started.
inline const char* unstarted_five_hour_body() {
    return R"({"five_hour": {"utilization": 0, "resets_at": null},
               "seven_day": {"utilization": 4, "resets_at": "2099-01-05T00:00:00Z"}})";
}

// chatgpt.com's block page in front of the Codex usage endpoint.
inline test_http::Reply chatgpt_block_page() {
    return test_http::Reply{
        403,
        {},
        "<!DOCTYPE html><html><head><title>Just a moment...</title></head><body></body></html>",
        "text/html"};
}

}  // namespace test_fakes

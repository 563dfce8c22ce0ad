// Reading an answer: header lookup and the JSON body's error texts.
#include <gtest/gtest.h>

#include "poller/http_response.hpp"

namespace poller {
namespace {

TEST(HttpResponseHeaders, LookupIgnoresCaseAndGivesTheFirstValue) {
    const HttpResponse response{429,
                                {{"Retry-After", "30"},
                                 {"anthropic-ratelimit-unified-status", "rejected"},
                                 {"RETRY-AFTER", "99"},
                                 {"Empty", ""}},
                                "",
                                false};
    EXPECT_EQ(response.header("retry-after"), "30");
    EXPECT_EQ(response.header("Anthropic-Ratelimit-Unified-Status"), "rejected");
    EXPECT_EQ(response.header("empty"), "");
    EXPECT_EQ(response.header("anthropic-ratelimit-unified-reset"), std::nullopt);
    EXPECT_EQ(response.header("Retry-Afte"), std::nullopt);
}

struct Record {
    int used = 0;
};
void from_json(const Json& json, Record& record) {
    json.at("used").get_to(record.used);
}

TEST(HttpResponseJson, ReadsAStrictDocumentOrSaysWhy) {
    struct Case {
        std::string body;
        bool too_large;
        std::string expected_error_start;  // empty: a document
        std::string body_error = {};
    };
    const Case cases[] = {
        {R"({"used": 5})", false, ""},
        {"", false, "Failed to read JSON: "},
        {"<html>busy</html>", false, "Failed to read JSON: "},
        {"\xEF\xBB\xBF{}", false, "Failed to read JSON: a byte-order mark is not JSON"},
        {"{} {}", false, "Failed to read JSON: "},
        {"", true, "response body is larger than 1048576 bytes"},
        {"", false, "response body incomplete: Timeout", "response body incomplete: Timeout was reached"},
    };
    for (const auto& c : cases) {
        const HttpResponse response{200, {}, c.body, c.too_large, c.body_error};
        const auto document = response.read_json();
        if (c.expected_error_start.empty()) {
            ASSERT_TRUE(std::holds_alternative<Json>(document)) << c.body;
        } else {
            ASSERT_TRUE(std::holds_alternative<std::string>(document)) << c.body;
            EXPECT_EQ(std::get<std::string>(document).rfind(c.expected_error_start, 0), 0u)
                << std::get<std::string>(document);
        }
    }
}

TEST(HttpResponseJson, TypedReadReportsAConversionFailureAsAJsonError) {
    const HttpResponse good{200, {}, R"({"used": 7})", false};
    const auto record = good.read_json_as<Record>();
    ASSERT_TRUE(std::holds_alternative<Record>(record));
    EXPECT_EQ(std::get<Record>(record).used, 7);

    // A repeated key is unusable only to a reader that asks for it.
    for (const char* body : {R"({"used": "seven"})", R"({"other": 1})", "[]", R"({"used": 1, "used": 2})"}) {
        const HttpResponse bad{200, {}, body, false};
        const auto failed = bad.read_json_as<Record>();
        ASSERT_TRUE(std::holds_alternative<std::string>(failed)) << body;
        EXPECT_EQ(std::get<std::string>(failed).rfind("Failed to read JSON: ", 0), 0u) << body;
    }
    const HttpResponse other_repeated{200, {}, R"({"used": 3, "x": 1, "x": 2})", false};
    const auto kept = other_repeated.read_json_as<Record>();
    ASSERT_TRUE(std::holds_alternative<Record>(kept));
    EXPECT_EQ(std::get<Record>(kept).used, 3);
}

}  // namespace
}  // namespace poller

#include <gtest/gtest.h>

#include <string>

#include "strict_json/strict_json.hpp"

namespace {

using strict_json::Json;
using strict_json::ParseError;

const ParseError* error_of(const std::variant<Json, ParseError>& result) {
    return std::get_if<ParseError>(&result);
}

TEST(StrictJson, RejectsWhatNlohmannWouldLetThrough) {
    struct Case {
        const char* name;
        std::string text;
    } cases[] = {
        {"byte-order mark", "\xEF\xBB\xBF{}"},
        {"repeated key at the top", R"({"a": 1, "a": 1})"},
        {"repeated key deep inside", R"({"x": [{"b": 1, "c": {"d": 0, "d": 0}}]})"},
        {"trailing text", "{} x"},
        {"second value", "{} {}"},
        {"empty input", ""},
        {"only white space", " \n\t "},
        {"truncated", R"({"a": [1, 2)"},
        {"NUL byte inside", std::string("{\"a\":\0 1}", 9)},
        {"invalid UTF-8 in a string", "\"\xC3(\""},
        {"comment", "{} // note"},
    };
    for (const auto& c : cases) {
        EXPECT_NE(error_of(strict_json::parse(c.text)), nullptr) << c.name;
    }
}

TEST(StrictJson, AcceptsSameKeyInSiblingObjectsAndTrailingWhiteSpace) {
    const auto result = strict_json::parse("{\"a\": {\"k\": 1}, \"b\": {\"k\": 2}}\r\n\t ");
    ASSERT_EQ(error_of(result), nullptr);
    EXPECT_EQ(std::get<Json>(result)["b"]["k"], 2);
}

// For server answers: a repeated key spoils that key's value only, at any depth.
TEST(StrictJson, MarksRepeatedKeysUnusableWhenAskedTo) {
    const auto result = strict_json::parse(
        R"({"a": 1, "a": 2, "b": {"c": [{"d": 0, "d": {"e": 1}}], "k": 3}, "f": [1, {"g": null}]})",
        strict_json::RepeatedKeys::MarkUnusable);
    ASSERT_EQ(error_of(result), nullptr);
    const Json& doc = std::get<Json>(result);
    EXPECT_TRUE(strict_json::is_repeated_key(doc["a"]));
    EXPECT_TRUE(strict_json::is_repeated_key(doc["b"]["c"][0]["d"]));
    EXPECT_EQ(doc["b"]["k"], 3);
    EXPECT_EQ(doc["f"][1]["g"], nullptr);
    EXPECT_FALSE(strict_json::is_repeated_key(doc["f"]));
    EXPECT_NE(error_of(strict_json::parse(R"({"a": 1, "a": 2} x)", strict_json::RepeatedKeys::MarkUnusable)),
              nullptr)
        << "every other rule still holds";
}

TEST(StrictJson, ReportsWhereTheTextBrokeARule) {
    const auto repeated = strict_json::parse("{\n  \"pinned\": true,\n  \"pinned\": false\n}");
    ASSERT_NE(error_of(repeated), nullptr);
    EXPECT_EQ(error_of(repeated)->message, "repeated key \"pinned\"");
    EXPECT_EQ(error_of(repeated)->line, 3u);

    const auto syntax = strict_json::parse("{\n  \"a\": tru\n}");
    ASSERT_NE(error_of(syntax), nullptr);
    EXPECT_EQ(error_of(syntax)->line, 2u);
    EXPECT_GT(error_of(syntax)->column, 1u);
    EXPECT_EQ(error_of(syntax)->message.find("[json.exception"), std::string::npos);
}

TEST(StrictJson, FindsARepeatedKeyInALargeObjectQuickly) {
    std::string big = "{";
    for (int i = 0; i < 50000; ++i) {
        big += "\"k" + std::to_string(i) + "\": 0, ";
    }
    EXPECT_EQ(error_of(strict_json::parse(big + "\"last\": 1}")), nullptr);
    const auto repeated = strict_json::parse(big + "\"k40000\": 1}");
    ASSERT_NE(error_of(repeated), nullptr);
    EXPECT_EQ(error_of(repeated)->message, "repeated key \"k40000\"");
    EXPECT_NE(error_of(strict_json::parse(R"({"a": 1, "b": 2, "a": 3})")), nullptr);
}

TEST(StrictJson, SurvivesVeryDeepNesting) {
    EXPECT_NE(error_of(strict_json::parse(std::string(100000, '['))), nullptr);
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    EXPECT_EQ(error_of(strict_json::parse(deep)), nullptr);
}

TEST(StrictJson, IntegerReadsAreExactAboutKindAndRange) {
    const auto doc = std::get<Json>(strict_json::parse(
        R"([60000, 60000.0, -1, 2147483647, 2147483648, -2147483648, -2147483649, 4294967295, 4294967296,
            18446744073709551615, true, "1", 1e3])"));
    EXPECT_EQ(strict_json::as_u32(doc[0]), 60000u);
    EXPECT_FALSE(strict_json::as_u32(doc[1]));
    EXPECT_FALSE(strict_json::as_i64(doc[1]));
    EXPECT_FALSE(strict_json::as_u32(doc[2]));
    EXPECT_EQ(strict_json::as_i32(doc[2]), -1);
    EXPECT_EQ(strict_json::as_i32(doc[3]), 2147483647);
    EXPECT_FALSE(strict_json::as_i32(doc[4]));
    EXPECT_EQ(strict_json::as_i32(doc[5]), -2147483647 - 1);
    EXPECT_FALSE(strict_json::as_i32(doc[6]));
    EXPECT_EQ(strict_json::as_u32(doc[7]), 4294967295u);
    EXPECT_FALSE(strict_json::as_u32(doc[8]));
    EXPECT_FALSE(strict_json::as_i64(doc[9]));  // above 2^63-1
    EXPECT_FALSE(strict_json::as_i64(doc[10]));
    EXPECT_FALSE(strict_json::as_i64(doc[11]));
    EXPECT_FALSE(strict_json::as_i64(doc[12]));
}

TEST(StrictJson, EnumTagsComeAsStringsOrSingleKeyNullObjects) {
    const auto doc = std::get<Json>(strict_json::parse(
        R"(["hybrid-dark", {"hybrid-dark": null}, {"hybrid-dark": 1}, {"a": null, "b": null}, {}, 3, null])"));
    EXPECT_EQ(strict_json::enum_tag(doc[0]), "hybrid-dark");
    EXPECT_EQ(strict_json::enum_tag(doc[1]), "hybrid-dark");
    for (std::size_t i = 2; i < doc.size(); ++i) {
        EXPECT_FALSE(strict_json::enum_tag(doc[i])) << i;
    }
}

}  // namespace

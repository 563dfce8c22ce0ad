#include <gtest/gtest.h>

#include "text/path_text.hpp"
#include "text/utf8.hpp"

namespace {

struct Utf8Case {
    const char* name;
    std::string bytes;
    bool valid;
};

TEST(Utf8, ValidatesWellFormedTextAndRejectsEveryMalformedShape) {
    const Utf8Case cases[] = {
        {"empty", "", true},
        {"ascii", "plain text", true},
        {"two-byte", "Zo\xC3\xAB", true},
        {"three-byte", "\xE3\x83\xA6\xE3\x83\xBC\xE3\x82\xB6\xE3\x83\xBC", true},
        {"four-byte", "\xF0\x9F\x98\x80", true},
        {"highest code point", "\xF4\x8F\xBF\xBF", true},
        {"embedded NUL", std::string("a\0b", 3), true},
        {"lone continuation", "\x80", false},
        {"truncated two-byte", "\xC3", false},
        {"truncated four-byte", "\xF0\x9F\x98", false},
        {"overlong slash", "\xC0\xAF", false},
        {"overlong three-byte", "\xE0\x80\xAF", false},
        {"surrogate", "\xED\xA0\x80", false},
        {"past U+10FFFF", "\xF4\x90\x80\x80", false},
        {"invalid lead byte", "\xFF", false},
        {"continuation replaced by ASCII", "\xC3(", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(text::is_valid_utf8(c.bytes), c.valid) << c.name;
        EXPECT_EQ(text::utf8_to_utf16(c.bytes).has_value(), c.valid) << c.name;
    }
}

TEST(Utf8, RoundTripsThroughUtf16IncludingSurrogatePairs) {
    const std::string original =
        "Zo\xC3\xAB \xE3\x83\xA6\xE3\x83\xBC\xE3\x82\xB6\xE3\x83\xBC \xF0\x9F\x98\x80";
    const auto wide = text::utf8_to_utf16(original);
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->size(), 11u);  // the emoji takes two code units
    EXPECT_EQ(text::utf16_to_utf8(*wide), original);
}

TEST(Utf8, RefusesUnpairedSurrogatesInUtf16) {
    EXPECT_FALSE(text::utf16_to_utf8(std::u16string{u'a', char16_t(0xD800)}));
    EXPECT_FALSE(text::utf16_to_utf8(std::u16string{char16_t(0xDC00), u'a'}));
    EXPECT_FALSE(text::utf16_to_utf8(std::u16string{char16_t(0xD800), u'a'}));
}

TEST(PathText, RoundTripsNonAsciiPaths) {
    const std::string utf8 = "C:/Users/Zo\xC3\xAB/\xE3\x83\xA6\xE3\x83\xBC\xE3\x82\xB6\xE3\x83\xBC";
    const auto path = text::path_from_utf8(utf8);
    ASSERT_TRUE(path);
    EXPECT_EQ(text::path_to_utf8(*path), utf8);
}

TEST(PathText, APathThatIsNotValidTextHasNoUtf8Form) {
#ifdef _WIN32
    const std::filesystem::path path(std::wstring{L'a', wchar_t(0xD800)});
#else
    const std::filesystem::path path(std::string("a\xFF"));
#endif
    EXPECT_FALSE(text::path_to_utf8(path));
}

}  // namespace

#include <gtest/gtest.h>

#include "localization/feature_texts.hpp"

namespace {

using localization::Language;
using platform::FileTime;

constexpr FileTime HOUR = 3600 * platform::FILETIME_TICKS_PER_SECOND;
constexpr FileTime NOW =
    platform::FILETIME_UNIX_EPOCH + 1'800'000'000ULL * platform::FILETIME_TICKS_PER_SECOND;

// Every instant reads as 3:40pm on the same day.
std::optional<platform::LocalTime> twenty_to_four(FileTime) noexcept {
    return platform::LocalTime{2027, 1, 15, 5, 15, 40, 0};
}

TEST(FeatureTexts, TheRemainingShareInEveryLanguage) {
    const std::pair<Language, const char*> cases[] = {
        {Language::English, "20% left"},     {Language::Dutch, "20% over"},
        {Language::Spanish, "quedan 20%"},   {Language::French, "20% restant"},
        {Language::German, "20% übrig"},     {Language::Japanese, "残り 20%"},
        {Language::Korean, "20% 남음"},      {Language::TraditionalChinese, "剩餘 20%"},
        {Language::Russian, "осталось 20%"}, {Language::BrazilianPortuguese, "20% restante"},
    };
    for (const auto& [language, text] : cases) {
        EXPECT_EQ(localization::remaining_text(80.0, localization::feature_texts(language)), text)
            << static_cast<int>(language);
    }
}

TEST(FeatureTexts, RemainingNeverGoesBelowNothingAndKeepsTheResetPart) {
    const auto& en = localization::feature_texts(Language::English);
    const auto& strings = localization::string_table(Language::English);
    EXPECT_EQ(localization::remaining_text(0.0, en), "100% left");
    EXPECT_EQ(localization::remaining_text(100.0, en), "0% left");
    EXPECT_EQ(localization::remaining_text(130.0, en), "0% left");
    EXPECT_EQ(localization::remaining_text(62.6, en), "37% left");
    EXPECT_EQ(localization::format_remaining_value({63.0, NOW + 2 * HOUR}, strings, en, NOW, twenty_to_four),
              "37% left \u00B7 2h (3:40pm)");
    EXPECT_EQ(localization::format_remaining_value({63.0, std::nullopt}, strings, en, NOW), "37% left");
}

TEST(FeatureTexts, RunOutAndNoticesSpeakTheLanguage) {
    const auto& strings = localization::string_table(Language::English);
    const auto& en = localization::feature_texts(Language::English);
    EXPECT_EQ(localization::run_out_text(NOW + HOUR, NOW, en, twenty_to_four), "runs out 3:40pm");
    EXPECT_EQ(localization::run_out_text(NOW + HOUR, NOW, en, nullptr), "");
    const poller::UsageBar reading{92.0, NOW + HOUR + 10 * 60 * platform::FILETIME_TICKS_PER_SECOND};
    EXPECT_EQ(localization::near_limit_notice("dev@example.com", "5h", reading, NOW, strings, en),
              "dev@example.com \u2014 5h at 92%, resets in 1h 10m");
    EXPECT_EQ(
        localization::near_limit_notice("dev@example.com", "7d-O", {95.0, std::nullopt}, NOW, strings, en),
        "dev@example.com \u2014 7d-O at 95%");
    EXPECT_EQ(localization::reset_notice("dev@example.com", "5h", strings, en),
              "dev@example.com \u2014 5h limit reset");
    const auto& ru = localization::string_table(Language::Russian);
    EXPECT_EQ(localization::reset_notice("dev@example.com", "5h", ru,
                                         localization::feature_texts(Language::Russian)),
              "dev@example.com \u2014 лимит 5ч сброшен");
    // Every language fills every field of every template.
    for (std::uint8_t i = 0; i < localization::LANGUAGE_COUNT; ++i) {
        const auto language = static_cast<Language>(i);
        const auto& s = localization::string_table(language);
        const auto& t = localization::feature_texts(language);
        for (const std::string& text :
             {localization::near_limit_notice("a@b", "5h", reading, NOW, s, t),
              localization::near_limit_notice("a@b", "5h", {91.0, std::nullopt}, NOW, s, t),
              localization::reset_notice("a@b", "7d", s, t),
              localization::run_out_text(NOW, NOW, t, twenty_to_four),
              localization::remaining_text(1.0, t)}) {
            EXPECT_EQ(text.find('{'), std::string::npos) << text;
            EXPECT_FALSE(text.empty()) << int(i);
        }
        EXPECT_FALSE(t.notifications.empty() || t.show_pace.empty() || t.show_remaining.empty()) << int(i);
    }
}

}  // namespace

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "localization/language.hpp"
#include "localization/string_table.hpp"

namespace {

using localization::Language;

TEST(LanguageFromTag, MapsTagsAsTheSettingsAndTheSystemWriteThem) {
    struct Case {
        std::string tag;
        std::optional<Language> expected;
    };
    const Case cases[] = {
        {"en", Language::English},
        {"en-GB", Language::English},
        {"english", std::nullopt},  // only the code before the first "-" counts
        {"nl-BE", Language::Dutch},
        {"es-419", Language::Spanish},
        {"fr_CA", Language::French},
        {"de-DE", Language::German},
        {"DE", Language::German},
        {"ja-JP", Language::Japanese},
        {"ko", Language::Korean},
        {"ru-RU", Language::Russian},
        {"  PT_br \t", Language::BrazilianPortuguese},
        {"pt-PT", Language::BrazilianPortuguese},
        {"pt", Language::BrazilianPortuguese},
        {"zh-TW", Language::TraditionalChinese},
        {"ZH-HK", Language::TraditionalChinese},
        {"zh-Hant", Language::TraditionalChinese},
        {"zh_Hant_TW", Language::TraditionalChinese},
        {"zh-mo-hant", Language::TraditionalChinese},
        {"zh-hant-cn", Language::TraditionalChinese},
        {"zh-CN", std::nullopt},
        {"zh-Hans", std::nullopt},
        {"zh-SG", std::nullopt},
        {"zh", std::nullopt},
        {"System", std::nullopt},
        {"SYSTEM", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"it-IT", std::nullopt},
        {"-en", std::nullopt},
        {"C", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(localization::language_from_tag(c.tag), c.expected) << "tag '" << c.tag << "'";
    }
}

TEST(LanguageFromTag, EveryCodeReadsBackAsItsLanguage) {
    for (std::uint8_t i = 0; i < localization::LANGUAGE_COUNT; ++i) {
        const auto language = static_cast<Language>(i);
        EXPECT_EQ(localization::language_from_tag(localization::setting_code(language)), language) << int(i);
    }
    EXPECT_EQ(localization::setting_code(Language::FollowSystem), "");
    EXPECT_EQ(localization::setting_code(Language::TraditionalChinese), "zh-TW");
    EXPECT_EQ(localization::setting_code(Language::BrazilianPortuguese), "pt-BR");
}

TEST(LanguageSetting, AbsentOrUnknownTextFollowsTheSystem) {
    EXPECT_EQ(localization::language_setting(std::nullopt), Language::FollowSystem);
    EXPECT_EQ(localization::language_setting("system"), Language::FollowSystem);
    EXPECT_EQ(localization::language_setting("zh-CN"), Language::FollowSystem);
    EXPECT_EQ(localization::language_setting("ja"), Language::Japanese);
    EXPECT_EQ(static_cast<int>(Language::FollowSystem), 10);
}

TEST(SystemLanguage, FirstPreferredTagThatMapsWins) {
    using Tags = std::vector<std::string>;
    EXPECT_EQ(localization::first_mapped_language(Tags{"zh-CN", "en-US"}), Language::English);
    EXPECT_EQ(localization::first_mapped_language(Tags{"zh-CN", "de-DE", "fr-FR"}), Language::German);
    EXPECT_EQ(localization::first_mapped_language(Tags{"zh-CN"}), Language::English) << "nothing maps";
    EXPECT_EQ(localization::first_mapped_language(Tags{}), Language::English);
    EXPECT_EQ(localization::first_mapped_language(Tags{"ko-KR", "ja-JP"}), Language::Korean);
}

TEST(SystemLanguage, ANamedLanguageIgnoresSystemChanges) {
    // Setting ja: the system going from German to French changes nothing.
    EXPECT_EQ(localization::effective_language(Language::Japanese, Language::German), Language::Japanese);
    EXPECT_EQ(
        localization::language_after_system_change(Language::Japanese, Language::Japanese, Language::French),
        std::nullopt);
    // Following the system: German to French switches, the same language again does not.
    EXPECT_EQ(localization::effective_language(Language::FollowSystem, Language::German), Language::German);
    EXPECT_EQ(localization::language_after_system_change(Language::FollowSystem, Language::German,
                                                         Language::French),
              Language::French);
    EXPECT_EQ(localization::language_after_system_change(Language::FollowSystem, Language::French,
                                                         Language::French),
              std::nullopt);
    // An index past the ten behaves as following the system.
    EXPECT_EQ(localization::effective_language(static_cast<Language>(42), Language::Dutch), Language::Dutch);
    EXPECT_EQ(localization::effective_language(Language::FollowSystem, Language::FollowSystem),
              Language::English);
}

TEST(StringTable, DisplayedRowsInEveryLanguage) {
    struct Row {
        Language language;
        const char* settings;
        const char* start_with_windows;
        const char* exit;
        const char* units[7];  // 5h, 7d, now, d, h, m, s
    };
    const Row rows[] = {
        {Language::English,
         "Settings",
         "Start with Windows",
         "Exit",
         {"5h", "7d", "now", "d", "h", "m", "s"}},
        {Language::Dutch,
         "Instellingen",
         "Opstarten met Windows",
         "Afsluiten",
         {"5u", "7d", "nu", "d", "u", "m", "s"}},
        {Language::Spanish,
         "Configuración",
         "Iniciar con Windows",
         "Salir",
         {"5h", "7d", "ahora", "d", "h", "m", "s"}},
        {Language::French,
         "Paramètres",
         "Démarrer avec Windows",
         "Quitter",
         {"5h", "7d", "maintenant", "j", "h", "m", "s"}},
        {Language::German,
         "Einstellungen",
         "Mit Windows starten",
         "Beenden",
         {"5h", "7d", "jetzt", "T", "h", "m", "s"}},
        {Language::Japanese,
         "設定",
         "Windows と同時に開始",
         "終了",
         {"5h", "7d", "今", "日", "時間", "分", "秒"}},
        {Language::Korean,
         "설정",
         "Windows 시작 시 자동 실행",
         "종료",
         {"5시간", "7일", "지금", "일", "시간", "분", "초"}},
        {Language::TraditionalChinese,
         "設定",
         "開機時啟動",
         "結束",
         {"5h", "7d", "現在", "天", "時", "分", "秒"}},
        {Language::Russian,
         "Настройки",
         "Запускать вместе с Windows",
         "Выход",
         {"5ч", "7д", "сейчас", "д", "ч", "м", "с"}},
        {Language::BrazilianPortuguese,
         "Configurações",
         "Iniciar com o Windows",
         "Sair",
         {"5h", "7d", "agora", "d", "h", "m", "s"}},
    };
    for (const Row& row : rows) {
        const localization::StringTable& t = localization::string_table(row.language);
        SCOPED_TRACE(localization::setting_code(row.language));
        EXPECT_EQ(t.settings, row.settings);
        EXPECT_EQ(t.start_with_windows, row.start_with_windows);
        EXPECT_EQ(t.exit, row.exit);
        const std::string_view units[] = {t.window_5h, t.window_7d,   t.unit_now,   t.unit_day,
                                          t.unit_hour, t.unit_minute, t.unit_second};
        for (std::size_t i = 0; i < 7; ++i) {
            EXPECT_EQ(units[i], row.units[i]) << "unit " << i;
        }
        EXPECT_EQ(t.app_title, "Gaugelet");
        EXPECT_EQ(t.provider_claude_code, "Claude Code");
        EXPECT_EQ(t.provider_codex, "Codex");
    }
}

TEST(StringTable, OutOfRangeSelectsEnglishAndUndisplayedRowsRepeatEnglish) {
    const localization::StringTable& english = localization::string_table(Language::English);
    EXPECT_EQ(&localization::string_table(Language::FollowSystem), &english);
    EXPECT_EQ(&localization::string_table(static_cast<Language>(200)), &english);
    const localization::StringTable& korean = localization::string_table(Language::Korean);
    EXPECT_EQ(korean.update_prompt, "Version {version} is available. Do you want to update now?");
    EXPECT_EQ(korean.checking_for_updates, "Checking for Updates...");
    EXPECT_EQ(korean.claude_auth_error_title, "Claude Code Auth Error");
}

}  // namespace

namespace {

TEST(DrawnLanguage, TheStateIndexConvertsAndAnythingElseIsEnglish) {
    EXPECT_EQ(localization::drawn_language(4), localization::Language::German);
    EXPECT_EQ(localization::drawn_language(9), localization::Language::BrazilianPortuguese);
    EXPECT_EQ(localization::drawn_language(10), localization::Language::English)
        << "follow-system is not drawn";
    EXPECT_EQ(localization::drawn_language(255), localization::Language::English);
}

}  // namespace

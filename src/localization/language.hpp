#pragma once
// The user-interface languages, their setting codes and how a locale tag maps onto them.

#include <cstdint>
#include <optional>
#include <string_view>

namespace localization {

// The order is the index kept in the settings and the application state. FollowSystem is only a
// setting: the language texts are drawn in is always one of the ten before it.
enum class Language : std::uint8_t {
    English,
    Dutch,
    Spanish,
    French,
    German,
    Japanese,
    Korean,
    TraditionalChinese,
    Russian,
    BrazilianPortuguese,
    FollowSystem,
};

inline constexpr std::uint8_t LANGUAGE_COUNT = 10;

// The language texts are drawn in, from the index the application state keeps in
// `effective_language`: anything outside the ten reads as English. Every drawing and menu input
// converts through here.
[[nodiscard]] constexpr Language drawn_language(std::uint8_t effective_index) noexcept {
    return effective_index < LANGUAGE_COUNT ? static_cast<Language>(effective_index) : Language::English;
}

// "en", "nl", ... "zh-TW", "pt-BR"; empty for FollowSystem and anything out of range.
[[nodiscard]] std::string_view setting_code(Language language) noexcept;

// One locale tag (de-DE, zh_Hant_TW, pt-PT, " PT_br ") to a language; nothing for "system", ""
// and every tag outside the ten (zh-CN included).
[[nodiscard]] std::optional<Language> language_from_tag(std::string_view tag);

// The language setting as the settings file holds it: absent or unmappable follows the system.
[[nodiscard]] Language language_setting(const std::optional<std::string_view>& stored);

// The system's preferred user-interface language among the ten; English when none maps.
[[nodiscard]] Language detect_system_language();

// The first of `tags` (most preferred first) that maps to a language; English when none does.
[[nodiscard]] Language first_mapped_language(const auto& tags) {
    for (const auto& tag : tags) {
        if (const auto language = language_from_tag(tag)) {
            return *language;
        }
    }
    return Language::English;
}

// The language texts are drawn in for a setting: the named language, or the detected one when
// the setting follows the system (or is out of range).
[[nodiscard]] Language effective_language(Language setting, Language detected) noexcept;

// What a system-language change does: the new effective language when the setting follows the
// system and `detected` differs from `current`, else nothing (the interface stays as it is).
[[nodiscard]] std::optional<Language> language_after_system_change(Language setting, Language current,
                                                                   Language detected) noexcept;

}  // namespace localization

#include "localization/language.hpp"

#include <array>
#include <string>

#include "platform/locale.hpp"

namespace localization {
namespace {

constexpr std::array<std::string_view, LANGUAGE_COUNT> CODES = {"en", "nl", "es",    "fr", "de",
                                                                "ja", "ko", "zh-TW", "ru", "pt-BR"};

bool is_one_of_the_ten(Language language) noexcept {
    return static_cast<std::uint8_t>(language) < LANGUAGE_COUNT;
}

std::string normalised(std::string_view tag) {
    constexpr std::string_view blanks = " \t\r\n\v\f";
    const std::size_t first = tag.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    tag = tag.substr(first, tag.find_last_not_of(blanks) - first + 1);
    std::string result(tag);
    for (char& c : result) {
        if (c == '_') {
            c = '-';
        } else if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return result;
}

}  // namespace

std::string_view setting_code(Language language) noexcept {
    return is_one_of_the_ten(language) ? CODES[static_cast<std::size_t>(language)] : std::string_view();
}

std::optional<Language> language_from_tag(std::string_view tag) {
    const std::string text = normalised(tag);
    if (text.empty() || text == "system") {
        return std::nullopt;
    }
    const std::string_view primary = std::string_view(text).substr(0, text.find('-'));
    struct Entry {
        std::string_view code;
        Language language;
    };
    static constexpr std::array<Entry, 9> SIMPLE = {{
        {"en", Language::English},
        {"nl", Language::Dutch},
        {"es", Language::Spanish},
        {"fr", Language::French},
        {"de", Language::German},
        {"ja", Language::Japanese},
        {"ko", Language::Korean},
        {"ru", Language::Russian},
        {"pt", Language::BrazilianPortuguese},
    }};
    for (const Entry& entry : SIMPLE) {
        if (primary == entry.code) {
            return entry.language;
        }
    }
    if (primary == "zh") {
        // Only the traditional script has a table; Simplified Chinese falls to the next candidate.
        for (const std::string_view marker : {"tw", "hk", "hant"}) {
            if (text.find(marker) != std::string::npos) {
                return Language::TraditionalChinese;
            }
        }
    }
    return std::nullopt;
}

Language language_setting(const std::optional<std::string_view>& stored) {
    if (!stored) {
        return Language::FollowSystem;
    }
    return language_from_tag(*stored).value_or(Language::FollowSystem);
}

Language detect_system_language() {
    return first_mapped_language(platform::preferred_language_tags());
}

Language effective_language(Language setting, Language detected) noexcept {
    if (is_one_of_the_ten(setting)) {
        return setting;
    }
    return is_one_of_the_ten(detected) ? detected : Language::English;
}

std::optional<Language> language_after_system_change(Language setting, Language current,
                                                     Language detected) noexcept {
    if (is_one_of_the_ten(setting)) {
        return std::nullopt;
    }
    const Language next = effective_language(setting, detected);
    if (next == current) {
        return std::nullopt;
    }
    return next;
}

}  // namespace localization

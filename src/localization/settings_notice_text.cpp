#include "localization/settings_notice_text.hpp"

#include <fmt/format.h>

#include <array>

namespace localization {
namespace {

struct NoticeTexts {
    std::string_view save_failed;  // {0}: the reason
    std::string_view kept_aside;   // {0}: the copy's name, {1}: the reason
};

// In the order of the language indexes: en, nl, es, fr, de, ja, ko, zh-TW, ru, pt-BR.
constexpr std::array<NoticeTexts, 10> TEXTS = {{
    {"Settings could not be saved: {0}", "The settings file did not load and was kept aside as {0}: {1}"},
    {"Instellingen konden niet worden opgeslagen: {0}",
     "Het instellingenbestand kon niet worden geladen en is apart bewaard als {0}: {1}"},
    {"No se pudo guardar la configuraci\u00f3n: {0}",
     "El archivo de configuraci\u00f3n no se pudo cargar y se guard\u00f3 aparte como {0}: {1}"},
    {"Impossible d'enregistrer les param\u00e8tres\u00a0: {0}",
     "Le fichier de param\u00e8tres n'a pas pu \u00eatre charg\u00e9 et a \u00e9t\u00e9 mis de "
     "c\u00f4t\u00e9 "
     "sous {0}\u00a0: {1}"},
    {"Einstellungen konnten nicht gespeichert werden: {0}",
     "Die Einstellungsdatei lie\u00df sich nicht laden und wurde als {0} beiseitegelegt: {1}"},
    {"\u8a2d\u5b9a\u3092\u4fdd\u5b58\u3067\u304d\u307e\u305b\u3093\u3067\u3057\u305f: {0}",
     "\u8a2d\u5b9a\u30d5\u30a1\u30a4\u30eb\u3092\u8aad\u307f\u8fbc\u3081\u306a\u304b\u3063\u305f\u305f\u3081"
     "\u3001"
     "{0} \u3068\u3057\u3066\u5225\u306b\u4fdd\u7ba1\u3057\u307e\u3057\u305f: {1}"},
    {"\uc124\uc815\uc744 \uc800\uc7a5\ud560 \uc218 \uc5c6\uc2b5\ub2c8\ub2e4: {0}",
     "\uc124\uc815 \ud30c\uc77c\uc744 \ubd88\ub7ec\uc62c \uc218 \uc5c6\uc5b4 {0}(\uc73c)\ub85c \ub530\ub85c "
     "\ubcf4\uad00\ud588\uc2b5\ub2c8\ub2e4: {1}"},
    {"\u7121\u6cd5\u5132\u5b58\u8a2d\u5b9a\uff1a{0}",
     "\u7121\u6cd5\u8f09\u5165\u8a2d\u5b9a\u6a94\uff0c\u5df2\u53e6\u5b58\u70ba {0}\uff1a{1}"},
    {"\u041d\u0435 \u0443\u0434\u0430\u043b\u043e\u0441\u044c "
     "\u0441\u043e\u0445\u0440\u0430\u043d\u0438\u0442\u044c "
     "\u043d\u0430\u0441\u0442\u0440\u043e\u0439\u043a\u0438: {0}",
     "\u0424\u0430\u0439\u043b \u043d\u0430\u0441\u0442\u0440\u043e\u0435\u043a \u043d\u0435 "
     "\u0437\u0430\u0433\u0440\u0443\u0437\u0438\u043b\u0441\u044f \u0438 "
     "\u0441\u043e\u0445\u0440\u0430\u043d\u0451\u043d "
     "\u043a\u0430\u043a {0}: {1}"},
    {"N\u00e3o foi poss\u00edvel salvar as configura\u00e7\u00f5es: {0}",
     "O arquivo de configura\u00e7\u00f5es n\u00e3o p\u00f4de ser carregado e foi guardado \u00e0 parte como "
     "{0}: {1}"},
}};

const NoticeTexts& texts(Language language) {
    const auto index = static_cast<std::size_t>(language);
    return index < TEXTS.size() ? TEXTS[index] : TEXTS[0];
}

}  // namespace

std::string save_failed_text(Language language, std::string_view reason) {
    return fmt::format(fmt::runtime(texts(language).save_failed), reason);
}

std::string kept_aside_text(Language language, std::string_view name, std::string_view reason) {
    return fmt::format(fmt::runtime(texts(language).kept_aside), name, reason);
}

}  // namespace localization

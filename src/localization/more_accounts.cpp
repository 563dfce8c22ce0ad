#include "localization/more_accounts.hpp"

#include <array>
#include <string_view>

namespace localization {
namespace {

// The text before and after the count, in the order of the languages.
struct Around {
    std::string_view before;
    std::string_view after;
};

constexpr std::array<Around, LANGUAGE_COUNT> TEXTS = {{
    {"+", " more"},
    {"+", " meer"},
    {"+", " más"},
    {"+", " de plus"},
    {"+", " weitere"},
    {"ほか ", " 件"},
    {"+", "개 더"},
    {"另外 ", " 個"},
    {"ещё ", ""},
    {"+", " mais"},
}};

}  // namespace

std::string more_accounts_text(Language language, std::size_t count) {
    const auto index = static_cast<std::size_t>(language);
    const Around& around = TEXTS[index < TEXTS.size() ? index : 0];
    std::string text(around.before);
    text += std::to_string(count);
    text += around.after;
    return text;
}

}  // namespace localization

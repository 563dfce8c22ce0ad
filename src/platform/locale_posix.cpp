// Preferred user-interface languages from the POSIX locale variables.
#include <string_view>

#include "platform/environment.hpp"
#include "platform/locale.hpp"

namespace platform {
namespace {

// "pt_BR.UTF-8@euro" names the language pt_BR; the encoding and modifier say nothing about it.
void append_tag(std::vector<std::string>& tags, std::string_view value) {
    value = value.substr(0, value.find_first_of(".@"));
    if (!value.empty()) {
        tags.emplace_back(value);
    }
}

}  // namespace

std::vector<std::string> preferred_language_tags() {
    std::vector<std::string> tags;
    // LANGUAGE is gettext's ordered, colon-separated list; the others hold one locale each.
    if (const auto list = get_env("LANGUAGE")) {
        std::string_view rest = *list;
        while (!rest.empty()) {
            const std::size_t colon = rest.find(':');
            append_tag(tags, rest.substr(0, colon));
            rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        }
    }
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (const auto value = get_env(name)) {
            append_tag(tags, *value);
        }
    }
    return tags;
}

}  // namespace platform

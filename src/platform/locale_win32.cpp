// Preferred user-interface languages from the Windows language settings.
#include <cwchar>
#include <vector>

#include "platform/locale.hpp"
#include "platform/wide_win32.hpp"
#include "platform/windows_win32.hpp"

namespace platform {
namespace {

void append_tag(std::vector<std::string>& tags, std::wstring_view name) {
    if (auto utf8 = from_wide(name); utf8 && !utf8->empty()) {
        tags.push_back(std::move(*utf8));
    }
}

// The user's ordered list of UI languages: a double-NUL-terminated list of names.
void append_preferred_ui_languages(std::vector<std::string>& tags) {
    ULONG count = 0;
    ULONG size = 0;
    if (!GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, nullptr, &size) || size == 0) {
        return;
    }
    std::vector<wchar_t> buffer(size + 1, L'\0');
    if (!GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, buffer.data(), &size)) {
        return;
    }
    const wchar_t* entry = buffer.data();
    const wchar_t* const end = buffer.data() + buffer.size();
    while (entry < end && *entry != L'\0') {
        const std::size_t length = wcsnlen(entry, static_cast<std::size_t>(end - entry));
        append_tag(tags, std::wstring_view(entry, length));
        entry += length + 1;
    }
}

}  // namespace

std::vector<std::string> preferred_language_tags() {
    std::vector<std::string> tags;
    append_preferred_ui_languages(tags);

    wchar_t name[32] = {};
    // Both calls return the length including the terminator.
    const int ui_length = LCIDToLocaleName(MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT), name, 32,
                                           LOCALE_ALLOW_NEUTRAL_NAMES);
    if (ui_length > 1) {
        append_tag(tags, std::wstring_view(name, static_cast<std::size_t>(ui_length - 1)));
    }
    const int locale_length = GetUserDefaultLocaleName(name, 32);
    if (locale_length >= 2) {
        append_tag(tags, std::wstring_view(name, static_cast<std::size_t>(locale_length - 1)));
    }
    return tags;
}

}  // namespace platform

#pragma once
// The user's preferred user-interface languages as the system names them.

#include <string>
#include <vector>

namespace platform {

// Locale tags, most preferred first (for example "de-DE", "zh-Hant-TW", or "pt_BR.UTF-8" on POSIX);
// empty when the system names none. Never fails.
[[nodiscard]] std::vector<std::string> preferred_language_tags();

}  // namespace platform

#pragma once
// The balloon texts about the settings file, in every language.

#include <string>
#include <string_view>

#include "localization/language.hpp"

namespace localization {

// "Settings could not be saved: {reason}"
[[nodiscard]] std::string save_failed_text(Language language, std::string_view reason);

// "The settings file did not load and was kept aside as {name}: {reason}"
[[nodiscard]] std::string kept_aside_text(Language language, std::string_view name, std::string_view reason);

}  // namespace localization

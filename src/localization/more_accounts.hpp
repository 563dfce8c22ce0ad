#pragma once
// The last line of a panel that cannot show every account: "+3 more".

#include <cstddef>
#include <string>

#include "localization/language.hpp"

namespace localization {

// "+N more" in the language (English for FollowSystem and any index outside the ten).
[[nodiscard]] std::string more_accounts_text(Language language, std::size_t count);

}  // namespace localization

#pragma once
// What a notice says and where it goes: the balloon's title and text in the program's language,
// the icon it appears on, and the diagnostic log line.

#include <cstdint>
#include <string>
#include <vector>

#include "localization/language.hpp"
#include "notices/notice_decisions.hpp"
#include "platform/clock.hpp"

namespace notices {

struct NoticeMessage {
    std::string title;     // the program's name
    std::string text;      // "dev@example.com — 5h at 92%, resets in 1h 10m"
    std::string log_line;  // "notice: claude-1 5h near-limit"
};

[[nodiscard]] NoticeMessage notice_message(const Notice& notice, localization::Language language,
                                           platform::FileTime now);

// The account's own tray icon when it is shown, else the first icon shown; nothing without icons.
// `icon_ids` are the accounts that have an icon, in tray order, so the uids follow the tray's rule.
[[nodiscard]] std::optional<std::uint32_t> notice_icon(std::string_view account_id,
                                                       const std::vector<std::string_view>& icon_ids,
                                                       const std::vector<std::uint32_t>& shown_uids);

}  // namespace notices

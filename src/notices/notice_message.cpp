#include "notices/notice_message.hpp"

#include <fmt/format.h>

#include <algorithm>

#include "localization/feature_texts.hpp"
#include "localization/string_table.hpp"
#include "tray_icon/tray_spec.hpp"

namespace notices {

NoticeMessage notice_message(const Notice& notice, localization::Language language, platform::FileTime now) {
    const auto& strings = localization::string_table(language);
    const auto& texts = localization::feature_texts(language);
    NoticeMessage message;
    message.title = std::string(strings.app_title);
    message.text =
        notice.kind == NoticeKind::NearLimit
            ? localization::near_limit_notice(notice.label, notice.bar, notice.reading, now, strings, texts)
            : localization::reset_notice(notice.label, notice.bar, strings, texts);
    message.log_line =
        fmt::format("notice: {} {} {}", notice.account_id, notice.bar, debug_name(notice.kind));
    return message;
}

std::optional<std::uint32_t> notice_icon(std::string_view account_id,
                                         const std::vector<std::string_view>& icon_ids,
                                         const std::vector<std::uint32_t>& shown_uids) {
    if (shown_uids.empty()) {
        return std::nullopt;
    }
    const auto at = std::find(icon_ids.begin(), icon_ids.end(), account_id);
    if (at == icon_ids.end()) {
        return shown_uids.front();
    }
    const std::uint32_t own = tray_icon::tray_uids(icon_ids)[static_cast<std::size_t>(at - icon_ids.begin())];
    return std::find(shown_uids.begin(), shown_uids.end(), own) != shown_uids.end() ? own
                                                                                    : shown_uids.front();
}

}  // namespace notices

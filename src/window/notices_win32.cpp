// The notices' Windows side: the decisions and texts are made elsewhere, this only shows them.
#include "window/notices_win32.hpp"

#include <fmt/format.h>

#include <optional>

#include "diagnostics/log.hpp"
#include "notices/notice_memory_file.hpp"
#include "notices/notice_message.hpp"
#include "platform/clock.hpp"
#include "platform/wide_win32.hpp"
#include "settings/settings_path.hpp"
#include "state/app_state.hpp"
#include "tray_icon/tray_balloon_win32.hpp"
#include "tray_icon/tray_sync_win32.hpp"

namespace window {
namespace {

// Owned by the user-interface thread; read from the file at the first poll.
std::optional<notices::NoticeMemory> remembered;

notices::NoticeMemory& memory_from_file(const std::filesystem::path& path) {
    if (!remembered) {
        auto read = notices::read_memory(path);
        if (read.problem) {
            diagnostics::log_owned(fmt::format("notice memory unusable, starting afresh: {}", *read.problem));
        }
        remembered = std::move(read.memory);
    }
    return *remembered;
}

}  // namespace

void show_due_notices(HWND hwnd) noexcept {
    try {
        std::vector<poller::UsageSnapshot> usage;
        notices::NoticeSwitches switches;
        localization::Language language = localization::Language::English;
        std::vector<std::string> icon_ids;
        {
            const auto held = state::app_state().lock();
            if (!held || !held->has_polled || !held->usage) {
                return;
            }
            usage = *held->usage;
            switches = {held->notify_near_limit, held->notify_reset};
            language = localization::drawn_language(held->effective_language);
            for (const auto& account :
                 tray_icon::tray_account_selection(held->accounts, held->tray_accounts)) {
                icon_ids.push_back(account.id);
            }
        }
        const std::vector<std::string_view> icon_views(icon_ids.begin(), icon_ids.end());
        const auto path = notices::memory_path_beside(settings::settings_path());
        notices::NoticeMemory& memory = memory_from_file(path);
        const platform::FileTime now = platform::precise_now();
        auto decision = notices::decide_notices(usage, memory, switches, now);
        if (decision.memory != memory) {
            if (auto error = notices::write_memory(path, decision.memory)) {
                diagnostics::log_owned(fmt::format("notice memory not saved: {}", *error));
            }
            memory = std::move(decision.memory);
        }
        for (const notices::Notice& notice : decision.notices) {
            const auto message = notices::notice_message(notice, language, now);
            const auto uid =
                notices::notice_icon(notice.account_id, icon_views, tray_icon::previous_tray_uids());
            const auto title = platform::to_wide(message.title);
            const auto text = platform::to_wide(message.text);
            if (!uid || !title || !text || !tray_icon::show_balloon(hwnd, *uid, *title, *text)) {
                diagnostics::log_owned(message.log_line + " (not shown)");
                continue;
            }
            diagnostics::log_owned(message.log_line);
        }
    } catch (...) {
        // Out of memory: this poll's notices are dropped rather than risk showing one twice.
    }
}

}  // namespace window

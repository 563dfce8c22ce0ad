#include <gtest/gtest.h>

#include "notices/notice_message.hpp"
#include "tray_icon/tray_spec.hpp"

namespace {

using notices::Notice;
using notices::NoticeKind;

constexpr platform::FileTime NOW =
    platform::FILETIME_UNIX_EPOCH + 1'800'000'000ULL * platform::FILETIME_TICKS_PER_SECOND;
constexpr platform::FileTime MINUTE = 60 * platform::FILETIME_TICKS_PER_SECOND;

TEST(NoticeMessage, TextAndLogLineInTheProgramsLanguage) {
    struct Case {
        Notice notice;
        localization::Language language;
        const char* text;
        const char* log_line;
    };
    const Case cases[] = {
        {{NoticeKind::NearLimit, "claude-1", "dev@example.com", "5h", {92.0, NOW + 70 * MINUTE}},
         localization::Language::English,
         "dev@example.com \u2014 5h at 92%, resets in 1h 10m",
         "notice: claude-1 5h near-limit"},
        {{NoticeKind::Reset, "codex-2", "codex-2", "7d", {0.0, NOW}},
         localization::Language::German,
         "codex-2 \u2014 7d-Limit zur\u00fcckgesetzt",
         "notice: codex-2 7d reset"},
        {{NoticeKind::NearLimit, "claude-1", "a@b", "Opus", {97.0, NOW + 2 * MINUTE}},
         localization::Language::Japanese,
         "a@b \u2014 Opus \u304c 97%\u3001"
         "2\u5206 \u5f8c\u306b\u30ea\u30bb\u30c3\u30c8",
         "notice: claude-1 Opus near-limit"},
    };
    for (const auto& c : cases) {
        const auto message = notices::notice_message(c.notice, c.language, NOW);
        EXPECT_EQ(message.title, "Gaugelet");
        EXPECT_EQ(message.text, c.text);
        EXPECT_EQ(message.log_line, c.log_line);
    }
}

TEST(NoticeMessage, TheAccountsOwnIconElseTheFirstShown) {
    const std::vector<std::string_view> ids = {"claude-1", "codex-1", "work"};
    const std::vector<std::uint32_t> uids = tray_icon::tray_uids(ids);
    EXPECT_EQ(notices::notice_icon("codex-1", ids, uids), 8193u);
    EXPECT_EQ(notices::notice_icon("work", ids, uids), uids[2]) << "a hand-named id, by the tray's own rule";
    EXPECT_EQ(notices::notice_icon("claude-3", ids, uids), 4097u) << "not in the tray";
    EXPECT_EQ(notices::notice_icon("claude-3", {}, {65535}), 65535u) << "the placeholder";
    EXPECT_EQ(notices::notice_icon("claude-1", ids, {}), std::nullopt);
}

}  // namespace

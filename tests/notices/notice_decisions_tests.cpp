#include <gtest/gtest.h>

#include "notices/notice_decisions.hpp"

namespace {

using notices::NoticeKind;
using notices::NoticeMemory;
using platform::FileTime;
using poller::UsageBar;
using poller::UsageSnapshot;

constexpr FileTime MINUTE = 60 * platform::FILETIME_TICKS_PER_SECOND;
constexpr FileTime HOUR = 60 * MINUTE;
constexpr FileTime RESET =
    platform::FILETIME_UNIX_EPOCH + 1'800'000'000ULL * platform::FILETIME_TICKS_PER_SECOND;
constexpr FileTime NEXT_RESET = RESET + 5 * HOUR;

// One poll: the account's five-hour bar at `percent` with its reset `resets_at`, read at `now`.
struct Poll {
    double percent;
    FileTime resets_at;
    FileTime now;
    const char* account = "claude-1";
};

std::vector<UsageSnapshot> usage_of(const Poll& poll) {
    poller::UsageData data;
    data.five_hour = UsageBar{poll.percent, poll.resets_at};
    data.seven_day = UsageBar{10.0, RESET + 100 * HOUR};
    return {UsageSnapshot{poll.account, std::string("dev@example.com"), data, accounts::Provider::Claude}};
}

// The notices of each poll in turn, as "near-limit"/"reset" words, carrying the memory along.
std::vector<std::string> run_polls(const std::vector<Poll>& polls, NoticeMemory& memory,
                                   notices::NoticeSwitches switches = {}) {
    std::vector<std::string> said;
    for (const auto& poll : polls) {
        auto decision = notices::decide_notices(usage_of(poll), memory, switches, poll.now);
        for (const auto& notice : decision.notices) {
            said.push_back(std::string(notices::debug_name(notice.kind)) + " " + notice.bar);
        }
        memory = std::move(decision.memory);
    }
    return said;
}

TEST(NoticeDecisions, OncePerWindowWhateverThePollsShow) {
    struct Case {
        const char* name;
        std::vector<Poll> polls;
        std::vector<std::string> said;
    };
    const Case cases[] = {
        {"below the share", {{50, RESET, RESET - 4 * HOUR}, {89.9, RESET, RESET - 3 * HOUR}}, {}},
        {"crossing up, then re-polled",
         {{80, RESET, RESET - 4 * HOUR}, {90, RESET, RESET - 3 * HOUR}, {95, RESET, RESET - 2 * HOUR}},
         {"near-limit 5h"}},
        {"crossing down and up again in the same window",
         {{92, RESET, RESET - 4 * HOUR}, {85, RESET, RESET - 3 * HOUR}, {93, RESET, RESET - 2 * HOUR}},
         {"near-limit 5h"}},
        {"a reset time that moves by a minute",
         {{92, RESET, RESET - 4 * HOUR},
          {94, RESET + MINUTE, RESET - 3 * HOUR},
          {96, RESET, RESET - 2 * HOUR}},
         {"near-limit 5h"}},
        {"a window that resets, then the next reaches the share",
         {{92, RESET, RESET - HOUR},
          {3, NEXT_RESET, RESET + MINUTE},
          {4, NEXT_RESET, RESET + 2 * MINUTE},
          {91, NEXT_RESET, NEXT_RESET - HOUR}},
         {"near-limit 5h", "reset 5h", "near-limit 5h"}},
        {"the reset seen at its time, before the reading moves on",
         {{92, RESET, RESET - HOUR}, {92, RESET, RESET}, {2, NEXT_RESET, RESET + MINUTE}},
         {"near-limit 5h", "reset 5h"}},
        {"a window that never reached the share resets quietly",
         {{40, RESET, RESET - HOUR}, {1, NEXT_RESET, RESET + MINUTE}},
         {}},
        {"a reading whose reset has passed is not near its limit", {{97, RESET, RESET + MINUTE}}, {}},
    };
    for (const auto& c : cases) {
        NoticeMemory memory;
        EXPECT_EQ(run_polls(c.polls, memory), c.said) << c.name;
    }
}

TEST(NoticeDecisions, TheSwitchesDecideWhatIsShownButNotWhatIsRemembered) {
    const std::vector<Poll> window = {{92, RESET, RESET - HOUR}, {2, NEXT_RESET, RESET + MINUTE}};
    struct Case {
        notices::NoticeSwitches switches;
        std::vector<std::string> said;
    };
    const Case cases[] = {
        {{90, true}, {"near-limit 5h", "reset 5h"}},
        {{95, true}, {}},
        {{0, true}, {"reset 5h"}},  // off: a window still counts as reached at 90 %
        {{90, false}, {"near-limit 5h"}},
        {{0, false}, {}},
    };
    for (const auto& c : cases) {
        NoticeMemory memory;
        EXPECT_EQ(run_polls(window, memory, c.switches), c.said) << int(c.switches.near_limit);
    }
    // Turning the reset notice on after the reset passed brings no late notice.
    NoticeMemory memory;
    run_polls({window[0]}, memory, {90, false});
    run_polls({window[1]}, memory, {90, false});
    EXPECT_TRUE(run_polls({{3, NEXT_RESET, RESET + 2 * MINUTE}}, memory).empty());
}

TEST(NoticeDecisions, ARestartWithTheRememberedWindowsRepeatsNothing) {
    NoticeMemory memory;
    ASSERT_EQ(run_polls({{92, RESET, RESET - HOUR}}, memory).size(), 1u);
    NoticeMemory after_restart = memory;  // what the file gave back
    EXPECT_TRUE(run_polls({{93, RESET, RESET - HOUR + MINUTE}}, after_restart).empty());
    EXPECT_EQ(run_polls({{1, NEXT_RESET, RESET + MINUTE}}, after_restart),
              std::vector<std::string>{"reset 5h"});
    EXPECT_TRUE(run_polls({{1, NEXT_RESET, RESET + 2 * MINUTE}}, after_restart).empty());
    // Without the memory the same reading would speak again.
    NoticeMemory forgotten;
    EXPECT_EQ(run_polls({{93, RESET, RESET - HOUR + MINUTE}}, forgotten).size(), 1u);
}

TEST(NoticeDecisions, AnAccountRemovedAndReAddedRepeatsNothingAndOthersStaySeparate) {
    NoticeMemory memory;
    ASSERT_EQ(run_polls({{92, RESET, RESET - 2 * HOUR}}, memory).size(), 1u);
    // Removed: polls without the account keep its window.
    auto decision = notices::decide_notices({}, memory, {}, RESET - HOUR);
    EXPECT_TRUE(decision.notices.empty());
    memory = decision.memory;
    EXPECT_TRUE(run_polls({{95, RESET, RESET - HOUR + MINUTE}}, memory).empty()) << "re-added";
    // Another account in the same window has its own notice.
    EXPECT_EQ(run_polls({{95, RESET, RESET - HOUR, "claude-2"}}, memory).size(), 1u);
}

TEST(NoticeDecisions, ANoticeNamesTheAccountBarAndReading) {
    auto usage = usage_of({92, RESET, RESET - HOUR});
    usage[0].usage->model_bars.push_back({"7d-O", UsageBar{97.0, RESET + 50 * HOUR}});
    usage.push_back(UsageSnapshot{"codex-1", std::nullopt, std::nullopt, accounts::Provider::Codex});
    const auto decision = notices::decide_notices(usage, {}, {}, RESET - HOUR);
    ASSERT_EQ(decision.notices.size(), 2u);
    EXPECT_EQ(decision.notices[0], (notices::Notice{NoticeKind::NearLimit, "claude-1", "dev@example.com",
                                                    "5h", UsageBar{92.0, RESET}}));
    EXPECT_EQ(decision.notices[1].bar, "7d-O");
}

TEST(NoticeDecisions, LongPastWindowsAreForgottenAndStaleResetsAreQuiet) {
    NoticeMemory memory;
    run_polls({{92, RESET, RESET - HOUR}}, memory);
    // The program was closed across the reset and starts two hours later: remembered, not shown.
    EXPECT_TRUE(run_polls({{5, NEXT_RESET, RESET + 2 * HOUR}}, memory).empty());
    ASSERT_EQ(memory.windows.size(), 1u);
    EXPECT_TRUE(memory.windows[0].reset_decided);
    run_polls({{5, RESET + 9 * 24 * HOUR, RESET + 9 * 24 * HOUR - HOUR}}, memory);
    EXPECT_TRUE(memory.windows.empty());
}

}  // namespace

// The line for a prompt and the cache of the last poll behind it, with the clock as a value.
#include <gtest/gtest.h>

#include "cli/cli_status_line.hpp"

namespace {

using accounts::Account;
using accounts::Provider;
using cli::CachedReading;

constexpr std::int64_t POLLED_AT_MS = 1'767'225'600'000;  // 2026-01-01 00:00 UTC

platform::FileTime at_ms(std::int64_t unix_ms) {
    return platform::FILETIME_UNIX_EPOCH + static_cast<platform::FileTime>(unix_ms) * 10'000;
}

TEST(StatusLine, LocalPartsRoundedPercentagesAndAQuestionMarkForAnUnreadAccount) {
    const std::vector<CachedReading> readings = {
        {"claude-1", Provider::Claude, "a", "dev@example.com", 37.4, 62.5},
        {"codex-1", Provider::Codex, "b", "work@example.com", 9.0, 41.0},
        {"claude-2", Provider::Claude, "c", std::nullopt, std::nullopt, std::nullopt},
        {"claude-3", Provider::Claude, "d", "someone", 100.5, 0.0},
    };
    EXPECT_EQ(cli::status_line(readings),
              "dev 37%/62% \xC2\xB7 work 9%/41% \xC2\xB7 claude-2 ? \xC2\xB7 someone 100%/0%\n");
    EXPECT_EQ(cli::status_line({}), "\n");
}

TEST(StatusCache, AnswersOnlyForTheSameAccountsWhileThePollIsYoungerThanTheMaximumAge) {
    const std::vector<Account> accounts = {{"claude-1", Provider::Claude, "/s/accounts/claude-1", {}, 0},
                                           {"codex-1", Provider::Codex, "/home/me/.codex", {}, 1}};
    const auto cache = cli::cache_from_poll("/s/settings.json", "a c", accounts, {}, at_ms(POLLED_AT_MS));
    auto moved = accounts;
    moved[1].dir = "/home/me/other";
    auto reordered = std::vector<Account>{accounts[1], accounts[0]};
    struct Case {
        const char* what;
        const char* settings;
        const char* hosts;
        const std::vector<Account>* list;
        std::int64_t age_ms;
        std::uint32_t max_age;
        bool answers;
    };
    const Case cases[] = {
        {"just polled", "/s/settings.json", "a c", &accounts, 0, 60, true},
        {"one millisecond short of the limit", "/s/settings.json", "a c", &accounts, 59'999, 60, true},
        {"exactly the limit", "/s/settings.json", "a c", &accounts, 60'000, 60, false},
        {"--max-age 0 always polls", "/s/settings.json", "a c", &accounts, 0, 0, false},
        {"a poll in the future (clock set back)", "/s/settings.json", "a c", &accounts, -1, 60, false},
        {"other hosts", "/s/settings.json", "a x", &accounts, 0, 60, false},
        {"another settings file", "/t/settings.json", "a c", &accounts, 0, 60, false},
        {"an account's folder changed", "/s/settings.json", "a c", &moved, 0, 60, false},
        {"the order changed", "/s/settings.json", "a c", &reordered, 0, 60, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(cli::cache_answers(cache, c.settings, c.hosts, *c.list, at_ms(POLLED_AT_MS + c.age_ms),
                                     c.max_age),
                  c.answers)
            << c.what;
    }
}

TEST(StatusCache, RoundTripsAndRefusesWhatItDidNotWrite) {
    const cli::StatusCache cache{
        "/s/settings.json",
        "https://a https://c",
        POLLED_AT_MS,
        {{"claude-1", Provider::Claude, "/s/accounts/claude-1", "dev@example.com", 37.5, 2.0},
         {"codex-1", Provider::Codex, "/x", std::nullopt, std::nullopt, std::nullopt}}};
    const auto text = cli::encode_status_cache(cache);
    ASSERT_TRUE(text);
    EXPECT_EQ(cli::decode_status_cache(*text), cache);
    for (const char* broken :
         {"", "[]", "{\"settings\": \"/s\", \"hosts\": \"\", \"polled_at_ms\": 1.5, \"accounts\": []}",
          "{\"settings\": \"/s\", \"hosts\": \"\", \"polled_at_ms\": 1, \"accounts\": [{\"id\": \"a\", "
          "\"provider\": \"gemini\", \"dir\": \"/x\", \"label\": null, \"five_hour\": null, "
          "\"seven_day\": null}]}",
          "{\"settings\": \"/s\", \"hosts\": \"\", \"polled_at_ms\": 1, \"accounts\": [{\"id\": \"a\", "
          "\"provider\": \"claude\", \"dir\": \"/x\", \"label\": null, \"five_hour\": 3, "
          "\"seven_day\": null}]}"}) {
        EXPECT_FALSE(cli::decode_status_cache(broken)) << broken;
    }
}

}  // namespace

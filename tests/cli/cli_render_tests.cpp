#include <gtest/gtest.h>

#include "cli/cli.hpp"
#include "cli/cli_render.hpp"
#include "localization/string_table.hpp"

namespace {

using accounts::Provider;
using poller::ModelBar;
using poller::UsageBar;
using poller::UsageData;
using poller::UsageSnapshot;

constexpr platform::FileTime at(std::int64_t unix_seconds) {
    return platform::file_time_from_unix_seconds(unix_seconds);
}

// UTC as the local zone, so the clock parts are fixed.
std::optional<platform::LocalTime> utc_zone(platform::FileTime t) noexcept {
    const auto seconds = static_cast<std::int64_t>(platform::unix_seconds(t));
    const std::int64_t days = seconds / 86400;
    const std::int64_t rest = seconds % 86400;
    // 2026-01-01 (day 20454) was a Thursday; the tests stay within its first week.
    const auto day = static_cast<std::int32_t>(days - 20454 + 1);
    return platform::LocalTime{2026,
                               1,
                               day,
                               static_cast<std::int32_t>((4 + days - 20454) % 7),
                               static_cast<std::int32_t>(rest / 3600),
                               static_cast<std::int32_t>(rest % 3600 / 60),
                               static_cast<std::int32_t>(rest % 60)};
}

TEST(Rfc3339, InstantsPrintInUtcToTheSecond) {
    const std::pair<platform::FileTime, const char*> cases[] = {
        {at(0), "1970-01-01T00:00:00Z"},
        {at(1767243600), "2026-01-01T05:00:00Z"},
        {at(1709251199), "2024-02-29T23:59:59Z"},
        {at(1767243600) + 9999999, "2026-01-01T05:00:00Z"},  // sub-second ticks dropped
        {at(-1), "1969-12-31T23:59:59Z"},
        {at(951782400), "2000-02-29T00:00:00Z"},
        {at(4102444800), "2100-01-01T00:00:00Z"},
    };
    for (const auto& [instant, expected] : cases) {
        EXPECT_EQ(cli::rfc3339_utc(instant), expected);
    }
}

const std::vector<UsageSnapshot> SAMPLE = {
    {"claude-1", "one@example.com",
     UsageData{
         {ModelBar{"Sonnet", UsageBar{30.5, at(1767657600)}}, ModelBar{"Opus", UsageBar{3.0, std::nullopt}}},
         UsageBar{12.5, at(1767243600)},
         UsageBar{40.0, at(1767571200)}},
     Provider::Claude},
    {"codex-1", std::nullopt, UsageData{{}, UsageBar{104.2, at(1767225599)}, UsageBar{0.0, std::nullopt}},
     Provider::Codex},
    {"codex-2", "gone@example.com", std::nullopt, Provider::Codex},
};

TEST(StatusJson, KeepsAccountOrderKeyOrderAndNumbersAsStored) {
    EXPECT_EQ(cli::status_json(SAMPLE, at(1767225600)), R"([
  {
    "account_id": "claude-1",
    "provider": "claude",
    "label": "one@example.com",
    "ok": true,
    "five_hour": {
      "percent": 12.5,
      "resets_at": "2026-01-01T05:00:00Z",
      "pace": {
        "expected_percent": 0.0,
        "runs_out_at": null
      }
    },
    "seven_day": {
      "percent": 40.0,
      "resets_at": "2026-01-05T00:00:00Z",
      "pace": {
        "expected_percent": 42.857142857142854,
        "runs_out_at": null
      }
    },
    "model_bars": [
      {
        "label": "Sonnet",
        "percent": 30.5,
        "resets_at": "2026-01-06T00:00:00Z",
        "pace": {
          "expected_percent": 28.571428571428573,
          "runs_out_at": "2026-01-05T13:22:37Z"
        }
      },
      {
        "label": "Opus",
        "percent": 3.0,
        "resets_at": null,
        "pace": null
      }
    ]
  },
  {
    "account_id": "codex-1",
    "provider": "codex",
    "label": null,
    "ok": true,
    "five_hour": {
      "percent": 104.2,
      "resets_at": "2025-12-31T23:59:59Z",
      "pace": {
        "expected_percent": 100.0,
        "runs_out_at": null
      }
    },
    "seven_day": {
      "percent": 0.0,
      "resets_at": null,
      "pace": null
    },
    "model_bars": []
  },
  {
    "account_id": "codex-2",
    "provider": "codex",
    "label": "gone@example.com",
    "ok": false,
    "five_hour": null,
    "seven_day": null,
    "model_bars": []
  }
]
)");
    EXPECT_EQ(cli::status_json({}, at(1767225600)), "[]\n");
}

TEST(StatusText, OneBlockPerAccountWithAlignedBarLabels) {
    const platform::FileTime now = at(1767225600);  // 2026-01-01T00:00:00Z
    EXPECT_EQ(cli::status_text(SAMPLE, localization::string_table(localization::Language::English),
                               localization::feature_texts(localization::Language::English), now, utc_zone),
              "Claude Code \xC2\xB7 one@example.com\n"
              "  5h      12% \xC2\xB7 5h (5am)\n"
              "  7d      40% \xC2\xB7 4d (1/5 Mon 12am)\n"
              "  Sonnet  30% \xC2\xB7 5d (1/6 Tue 12am) \xC2\xB7 runs out 1/5 Mon 1:22pm\n"
              "  Opus    3%\n"
              "Codex \xC2\xB7 codex-1\n"
              "  5h  104% \xC2\xB7 now\n"
              "  7d  0%\n"
              "Codex \xC2\xB7 gone@example.com\n"
              "  (unavailable)\n");
    // The units follow the language; the provider names too where a language has its own.
    const std::vector<UsageSnapshot> one = {SAMPLE[0]};
    const std::string german =
        cli::status_text(one, localization::string_table(localization::Language::German),
                         localization::feature_texts(localization::Language::German), now, utc_zone);
    EXPECT_NE(german.find("  7d      40% \xC2\xB7 4T (1/5 Mon 12am)\n"), std::string::npos) << german;
}

TEST(SettingsErrorText, NamesTheFileAndThePositionWhenKnown) {
    const auto file = std::filesystem::path("settings.json");
    EXPECT_EQ(cli::settings_error_text(file, {"repeated key \"pinned\"", 3, 13}),
              "settings.json:3:13: repeated key \"pinned\"");
    EXPECT_EQ(cli::settings_error_text(file, {"unknown panel theme \"Hybrid-Dark\"", 0, 0}),
              "settings.json: unknown panel theme \"Hybrid-Dark\"");
}

TEST(Arguments, CommandsOptionsAndMistakes) {
    struct Case {
        std::vector<std::string> arguments;
        std::optional<cli::Command> command;  // nothing: a usage error
        bool json = false;
        bool diagnose = false;
        const char* message = "";
    };
    const Case cases[] = {
        {{"status"}, cli::Command::Status},
        {{"status", "--json"}, cli::Command::Status, true},
        {{"--json", "status"}, cli::Command::Status, true},
        {{"--diagnose", "status", "--json"}, cli::Command::Status, true, true},
        {{"settings", "--diagnose"}, cli::Command::Settings, false, true},
        {{"--help"}, cli::Command::Help},
        {{"status", "-h"}, cli::Command::Help},
        {{"frobnicate", "--help"}, cli::Command::Help},
        {{"accounts", "--json"}, cli::Command::Accounts, true},
        {{"add", "codex", "--dir", "x"}, cli::Command::Add},
        {{"remove", "claude-2"}, cli::Command::Remove},
        {{"--settings=s.json", "status", "--line", "--max-age", "0", "--account", "a"}, cli::Command::Status},
        {{"--version", "frobnicate"}, cli::Command::Version},
        {{}, std::nullopt, false, false, "no command given"},
        {{"--diagnose"}, std::nullopt, false, false, "no command given"},
        {{"status", "--yaml"}, std::nullopt, false, false, "unknown option \"--yaml\""},
        {{"status", "settings"}, std::nullopt, false, false, "unexpected argument \"settings\""},
        {{"settings", "--json"}, std::nullopt, false, false, "--json belongs to status or accounts"},
        {{"Status"}, std::nullopt, false, false, "unknown command \"Status\""},
    };
    for (const auto& c : cases) {
        cli::UsageError error;
        const auto parsed = cli::parse_arguments(c.arguments, error);
        ASSERT_EQ(parsed.has_value(), c.command.has_value()) << ::testing::PrintToString(c.arguments);
        if (parsed) {
            EXPECT_EQ(parsed->command, *c.command);
            EXPECT_EQ(parsed->json, c.json);
            EXPECT_EQ(parsed->diagnose, c.diagnose);
            if (parsed->command == cli::Command::Add) {
                EXPECT_EQ(parsed->provider, accounts::Provider::Codex);
                EXPECT_EQ(parsed->dir, std::filesystem::path("x"));
            }
            if (parsed->command == cli::Command::Remove) {
                EXPECT_EQ(parsed->id, "claude-2");
            }
            if (parsed->line) {
                EXPECT_EQ(parsed->max_age_seconds, 0u);
                EXPECT_EQ(parsed->account, "a");
                EXPECT_EQ(parsed->settings, std::filesystem::path("s.json"));
            }
        } else {
            EXPECT_EQ(error.message, c.message);
        }
    }
}

}  // namespace

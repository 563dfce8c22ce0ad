#include <gtest/gtest.h>

#include <algorithm>

#include "tray_icon/tray_spec.hpp"

namespace {

using accounts::Account;
using accounts::Provider;
using tray_icon::TrayAction;
using tray_icon::TrayIconSpec;

constexpr platform::FileTime NOW = 134100000000000000ULL;

std::optional<platform::LocalTime> no_clock(platform::FileTime) noexcept {
    return std::nullopt;
}

Account account(std::string id, Provider provider, std::optional<std::string> email = std::nullopt) {
    return Account{std::move(id), provider, {}, std::move(email), 0};
}

poller::UsageSnapshot reading(std::string id, Provider provider, double five, double seven) {
    poller::UsageData data;
    data.five_hour.percent = five;
    data.seven_day = {seven, NOW + 90 * platform::FILETIME_TICKS_PER_SECOND};
    return {std::move(id), std::nullopt, data, provider};
}

TEST(TrayUid, OnlyIdsTheProgramWritesGetANumberedUid) {
    const std::pair<const char*, std::optional<std::uint32_t>> cases[] = {
        {"claude-3", 4099},          {"codex-3", 8195},           {"claude-0", 4096},
        {"claude-4095", 8191},       {"codex-4095", 12287},       {"claude-4096", std::nullopt},
        {"claude-01", std::nullopt}, {"claude-+1", std::nullopt}, {"codex-007", std::nullopt},
        {"claude-", std::nullopt},   {"codex--1", std::nullopt},  {"claude-1 ", std::nullopt},
        {"other", std::nullopt},     {"", std::nullopt},          {"claude-99999999999", std::nullopt},
    };
    for (const auto& [id, uid] : cases) {
        EXPECT_EQ(tray_icon::numbered_tray_uid(id), uid) << id;
    }
}

TEST(TrayUid, NoTwoIconsShareAUid) {
    const std::vector<std::vector<std::string_view>> lists = {
        {"claude-1", "claude-01", "claude-+1"},
        {"claude-4097", "codex-1"},
        {"claude-1", "claude-1", "x", "x"},
        {"a", "b", "c", "claude-2", "codex-2", "claude-99999999999", ""},
    };
    for (const auto& ids : lists) {
        const auto uids = tray_icon::tray_uids(ids);
        ASSERT_EQ(uids.size(), ids.size());
        for (std::size_t i = 0; i < uids.size(); ++i) {
            EXPECT_NE(uids[i], tray_icon::PLACEHOLDER_UID);
            for (std::size_t j = 0; j < i; ++j) {
                EXPECT_NE(uids[i], uids[j]) << ids[i] << " and " << ids[j];
            }
            // Numbered ids keep their written uid; every other one lands in the block of its own.
            if (const auto numbered = tray_icon::numbered_tray_uid(ids[i]);
                numbered && std::find(ids.begin(), ids.begin() + static_cast<std::ptrdiff_t>(i), ids[i]) ==
                                ids.begin() + static_cast<std::ptrdiff_t>(i)) {
                EXPECT_EQ(uids[i], *numbered) << ids[i];
            } else {
                EXPECT_GE(uids[i], tray_icon::OTHER_UID_BASE) << ids[i];
                EXPECT_LT(uids[i], tray_icon::OTHER_UID_BASE + tray_icon::OTHER_UID_COUNT) << ids[i];
            }
        }
    }
    // An other id keeps its uid when numbered accounts come and go.
    EXPECT_EQ(tray_icon::tray_uids({"work"})[0], tray_icon::tray_uids({"claude-1", "work", "codex-3"})[1]);
}

TEST(TraySelection, AbsentListMeansAllInAccountOrder) {
    const std::vector<Account> accounts = {account("claude-1", Provider::Claude),
                                           account("codex-1", Provider::Codex),
                                           account("claude-2", Provider::Claude)};
    EXPECT_EQ(tray_icon::tray_account_selection(accounts, std::nullopt), accounts);
    const auto picked = tray_icon::tray_account_selection(
        accounts, std::vector<std::string>{"claude-2", "gone-9", "claude-1"});
    ASSERT_EQ(picked.size(), 2u);
    EXPECT_EQ(picked[0].id, "claude-1") << "account order, not list order";
    EXPECT_EQ(picked[1].id, "claude-2");
    EXPECT_TRUE(tray_icon::tray_account_selection(accounts, std::vector<std::string>{}).empty());
}

TEST(TraySpecs, MetricPicksTheBarsWhileTheTooltipListsBoth) {
    tray_icon::TrayInput input;
    input.accounts = {account("claude-1", Provider::Claude, "me@example.com"),
                      account("codex-2", Provider::Codex)};
    input.usage = {reading("codex-2", Provider::Codex, 12.5, 40.0),
                   reading("claude-1", Provider::Claude, 37, 80)};
    input.panel_theme = settings::PanelTheme::HybridLight;

    struct Case {
        settings::TrayMetric metric;
        double primary, secondary;
        bool two_bars;
    };
    const Case cases[] = {{settings::TrayMetric::Both, 37, 80, true},
                          {settings::TrayMetric::FiveHour, 37, 0, false},
                          {settings::TrayMetric::SevenDay, 80, 0, false}};
    for (const Case& c : cases) {
        input.tray_metric = c.metric;
        const auto specs = tray_icon::build_tray_specs(input, NOW, no_clock);
        ASSERT_EQ(specs.size(), 2u);
        EXPECT_TRUE(specs[0].has_usage);
        EXPECT_EQ(specs[0].primary, c.primary);
        EXPECT_EQ(specs[0].secondary, c.secondary);
        EXPECT_EQ(specs[0].two_bars, c.two_bars);
        EXPECT_EQ(specs[0].tooltip, "Claude Code \u2014 me@example.com | 5h: 37% | 7d: 80% \u00B7 1m");
    }
    const auto specs = tray_icon::build_tray_specs(input, NOW, no_clock);
    EXPECT_EQ(specs[0].uid, 4097u);
    EXPECT_FALSE(specs[0].is_codex);
    EXPECT_EQ(specs[0].colour, (panel::Rgb{0xD9, 0x77, 0x57}));
    EXPECT_EQ(specs[1].uid, 8194u);
    EXPECT_TRUE(specs[1].is_codex);
    EXPECT_EQ(specs[1].colour, (panel::Rgb{0x55, 0x55, 0x5E})) << "HybridLight's Codex grey";
    EXPECT_EQ(specs[1].tooltip, "Codex \u2014 codex-2 | 5h: 12% | 7d: 40% \u00B7 1m");
}

// Every instant reads as 3:40pm on the same day.
std::optional<platform::LocalTime> twenty_to_four(platform::FileTime) noexcept {
    return platform::LocalTime{2027, 1, 15, 5, 15, 40, 0};
}

TEST(TraySpecs, RemainingSharesFillTheGaugesAndTheTooltipNamesTheRunOut) {
    constexpr platform::FileTime HOUR = 3600 * platform::FILETIME_TICKS_PER_SECOND;
    tray_icon::TrayInput input;
    input.accounts = {account("claude-1", Provider::Claude)};
    auto usage = reading("claude-1", Provider::Claude, 90, 80);
    usage.usage->five_hour.resets_at = NOW + 3 * HOUR;  // 2 of 5 hours gone at 90 %: ahead of pace
    input.usage = {usage};
    struct Case {
        bool remaining;
        settings::TrayMetric metric;
        double primary, secondary;
        const char* tooltip;
    };
    const Case cases[] = {
        {false, settings::TrayMetric::Both, 90, 80,
         "Claude Code — claude-1 | 5h: 90% · 3h (3:40pm) | 7d: 80% · 1m (3:40pm) | runs out 3:40pm"},
        {true, settings::TrayMetric::Both, 10, 20,
         "Claude Code — claude-1 | 5h: 10% left · 3h (3:40pm) | 7d: 20% left · 1m (3:40pm) | runs out "
         "3:40pm"},
        {true, settings::TrayMetric::SevenDay, 20, 0, nullptr},
    };
    for (const Case& c : cases) {
        input.show_remaining = c.remaining;
        input.tray_metric = c.metric;
        const auto specs = tray_icon::build_tray_specs(input, NOW, twenty_to_four);
        EXPECT_EQ(specs[0].primary, c.primary);
        EXPECT_EQ(specs[0].secondary, c.secondary);
        if (c.tooltip != nullptr) {
            EXPECT_EQ(specs[0].tooltip, c.tooltip);
        }
    }
}

TEST(TraySpecs, NoReadingAndNoAccounts) {
    tray_icon::TrayInput input;
    input.accounts = {account("claude-1", Provider::Claude)};
    input.usage = {poller::UsageSnapshot{"claude-1", std::nullopt, std::nullopt, Provider::Claude}};
    input.language = localization::Language::Korean;
    auto specs = tray_icon::build_tray_specs(input, NOW, no_clock);
    ASSERT_EQ(specs.size(), 1u);
    EXPECT_FALSE(specs[0].has_usage);
    EXPECT_EQ(specs[0].tooltip, "Claude Code \u2014 claude-1");
    EXPECT_TRUE(tray_icon::tray_bars(specs[0]).empty());

    input.tray_accounts = std::vector<std::string>{};
    specs = tray_icon::build_tray_specs(input, NOW, no_clock);
    ASSERT_EQ(specs.size(), 1u);
    EXPECT_EQ(specs[0].uid, tray_icon::PLACEHOLDER_UID);
    EXPECT_EQ(specs[0].tooltip, "Gaugelet " GAUGELET_VERSION) << "the placeholder names the version";
    EXPECT_FALSE(specs[0].is_codex);
    EXPECT_EQ(tray_icon::placeholder_specs(localization::Language::English, settings::PanelTheme::HybridDark),
              tray_icon::build_tray_specs({}, NOW, no_clock));
}

TEST(TraySpecs, LongTooltipsAreCut) {
    tray_icon::TrayInput input;
    input.accounts = {account("claude-1", Provider::Claude, std::string(150, 'x') + "@example.com")};
    const auto specs = tray_icon::build_tray_specs(input, NOW, no_clock);
    EXPECT_EQ(specs[0].tooltip, "Claude Code \u2014 " + std::string(127 - 14, 'x'));
}

TrayIconSpec icon(std::uint32_t uid, double primary = 0.0, std::string tooltip = {}) {
    TrayIconSpec spec;
    spec.uid = uid;
    spec.has_usage = true;
    spec.primary = primary;
    spec.tooltip = std::move(tooltip);
    return spec;
}

TEST(TrayActions, ModifyKeptAddNewThenDeleteStale) {
    const std::vector<TrayIconSpec> specs = {icon(4097, 10), icon(4098, 20)};
    const std::vector<TrayAction> expected = {
        {TrayAction::Kind::AddOrModify, 4097, 0},
        {TrayAction::Kind::AddOrModify, 4098, 1},
        {TrayAction::Kind::Delete, 65535, 0},
        {TrayAction::Kind::Delete, 8193, 0},
    };
    EXPECT_EQ(tray_icon::tray_actions(specs, {icon(65535), icon(4097, 50), icon(8193)}), expected);
    EXPECT_EQ(tray_icon::tray_actions({}, {}), std::vector<TrayAction>{});
}

TEST(TrayActions, AnUnchangedIconIsNotSentAgain) {
    using K = TrayAction::Kind;
    TrayIconSpec codex = icon(8193, 40, "a");
    codex.is_codex = true;
    TrayIconSpec two_bars = icon(4097, 40, "a");
    two_bars.two_bars = true;
    two_bars.secondary = 10;
    const auto changed = [](TrayIconSpec spec, auto change) {
        change(spec);
        return spec;
    };
    struct Case {
        const char* what;
        TrayIconSpec shown;
        TrayIconSpec now;
        std::vector<TrayAction> expected;
    };
    const Case cases[] = {
        {"identical", icon(4097, 40, "a"), icon(4097, 40, "a"), {}},
        {"under a pixel of fill", icon(4097, 40.0, "a"), icon(4097, 40.5, "a"), {}},
        {"tooltip only", icon(4097, 40, "a"), icon(4097, 40, "b"), {{K::Tooltip, 4097, 0}}},
        {"fill", icon(4097, 40, "a"), icon(4097, 60, "a"), {{K::AddOrModify, 4097, 0}}},
        {"second bar",
         two_bars,
         changed(two_bars, [](auto& s) { s.secondary = 90; }),
         {{K::AddOrModify, 4097, 0}}},
        {"reading lost",
         icon(4097, 40, "a"),
         changed(icon(4097, 40, "a"), [](auto& s) { s.has_usage = false; }),
         {{K::AddOrModify, 4097, 0}}},
        {"colour",
         codex,
         changed(codex,
                 [](auto& s) {
                     s.colour = {1, 2, 3};
                 }),
         {{K::AddOrModify, 8193, 0}}},
        {"one bar to two",
         icon(4097, 40, "a"),
         changed(icon(4097, 40, "a"), [](auto& s) { s.two_bars = true; }),
         {{K::AddOrModify, 4097, 0}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(tray_icon::tray_actions({c.now}, {c.shown}), c.expected) << c.what;
    }
}

TEST(TrayBars, FillWidthsAndBarPlacement) {
    const std::pair<double, std::int32_t> fills[] = {{50, 32}, {1, 1},    {0.7, 0},  {0, 0},
                                                     {-3, 0},  {100, 64}, {250, 64}, {0.79, 1}};
    for (const auto& [percent, width] : fills) {
        EXPECT_EQ(tray_icon::tray_fill_width(percent), width) << percent;
    }
    TrayIconSpec spec;
    spec.has_usage = true;
    spec.primary = 50;
    EXPECT_EQ(tray_icon::tray_bars(spec), (std::vector<tray_icon::TrayBar>{{{0, 0, 64, 64}, 32}}));
    spec.two_bars = true;
    spec.secondary = 100;
    EXPECT_EQ(tray_icon::tray_bars(spec),
              (std::vector<tray_icon::TrayBar>{{{0, 0, 64, 30}, 32}, {{0, 34, 64, 64}, 64}}));
}

}  // namespace

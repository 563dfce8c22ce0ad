#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include "poller/usage_model.hpp"
#include "settings/settings_load.hpp"
#include "state/app_state.hpp"
#include "state/dpi.hpp"
#include "state/save_settings.hpp"
#include "support/temp_folder.hpp"

namespace {

using poller::UsageBar;
using poller::UsageData;
using poller::UsageSnapshot;
using state::AppState;
using state::StateSlot;

constexpr platform::FileTime NOW = platform::FILETIME_UNIX_EPOCH + 1767225600ULL * 10000000ULL;
platform::FileTime fixed_now() {
    return NOW;
}

UsageSnapshot reading(std::optional<platform::FileTime> five_hour_reset, double percent = 10.0) {
    return UsageSnapshot{"claude-1", std::nullopt,
                         UsageData{{}, UsageBar{percent, five_hour_reset}, UsageBar{}},
                         accounts::Provider::Claude};
}

TEST(AnyResetReached, LooksAtEverySuccessfulBarAndSkipsFailures) {
    using poller::any_reset_reached;
    EXPECT_FALSE(any_reset_reached({}, fixed_now));
    EXPECT_TRUE(any_reset_reached({reading(NOW)}, fixed_now)) << "the current second counts as reached";
    EXPECT_TRUE(any_reset_reached({reading(NOW - 1)}, fixed_now));
    EXPECT_FALSE(any_reset_reached({reading(NOW + 10000000)}, fixed_now));
    EXPECT_FALSE(any_reset_reached({reading(std::nullopt)}, fixed_now));

    UsageSnapshot failed = reading(NOW - 1);
    failed.usage.reset();
    EXPECT_FALSE(any_reset_reached({failed, failed}, fixed_now));

    UsageSnapshot model = reading(std::nullopt);
    model.usage->model_bars.push_back({"7d-O", UsageBar{50.0, NOW + 1}});
    model.usage->model_bars.push_back({"7d-S", UsageBar{50.0, NOW}});
    EXPECT_TRUE(any_reset_reached({failed, model}, fixed_now));

    UsageSnapshot seven_day = reading(std::nullopt);
    seven_day.usage->seven_day.resets_at = NOW;
    EXPECT_TRUE(any_reset_reached({seven_day}, fixed_now));
}

TEST(UsageModel, KeepsPercentagesOutsideTheScaleUnchanged) {
    EXPECT_EQ(reading(std::nullopt, 137.5).usage->five_hour.percent, 137.5);
    EXPECT_EQ(reading(std::nullopt, -3.25).usage->five_hour.percent, -3.25);
}

TEST(StateSlot, IsEmptyUntilFilledAndThenReplacedWhole) {
    StateSlot slot;
    EXPECT_FALSE(slot.lock());
    EXPECT_FALSE(state::is_pinned(slot));
    EXPECT_FALSE(state::corner_hover_enabled(slot));
    AppState first;
    first.pinned = true;
    first.panel_on_corner_hover = true;
    slot.install(first);
    EXPECT_TRUE(state::is_pinned(slot));
    EXPECT_TRUE(state::corner_hover_enabled(slot));
    {
        auto guard = slot.lock();
        ASSERT_TRUE(guard);
        EXPECT_FALSE(guard->has_polled);
        EXPECT_FALSE(guard->usage);
    }
    slot.install(AppState{});
    EXPECT_FALSE(state::is_pinned(slot));
}

TEST(StateSlot, StaysUsableAfterAThreadFailedWhileHoldingTheLock) {
    StateSlot slot;
    slot.install(AppState{});
    std::thread failing([&slot] {
        try {
            auto guard = slot.lock();
            guard->pinned = true;
            throw std::runtime_error("fault while holding the state lock");
        } catch (const std::runtime_error&) {
        }
    });
    failing.join();
    EXPECT_TRUE(state::is_pinned(slot));
}

TEST(StateFromSettings, TakesTheFileButFixesThePollInterval) {
    settings::SettingsFile file;
    file.poll_interval_ms = 5;
    file.tray_offset = -3;
    file.widget_visible = false;
    file.pinned = true;
    file.tray_accounts = std::vector<std::string>{"codex-1"};
    file.accounts.push_back({"codex-1", accounts::Provider::Codex, "d", std::nullopt, 0});
    const AppState s = state::state_from_settings(file, state::FOLLOW_SYSTEM_LANGUAGE, 3);
    EXPECT_EQ(s.poll_interval_ms, 60000u);
    EXPECT_EQ(s.tray_offset, -3);
    EXPECT_FALSE(s.widget_visible);
    EXPECT_TRUE(s.pinned);
    EXPECT_EQ(s.anchor, state::PanelAnchor::Tray);
    EXPECT_EQ(s.accounts, file.accounts);
    EXPECT_EQ(s.tray_accounts, file.tray_accounts);
    EXPECT_EQ(s.effective_language, 3);
    EXPECT_EQ(state::settings_from_state(s).language, std::nullopt);
}

TEST(SettingsFromState, WritesTheLanguageCodeOnlyWhenALanguageIsChosen) {
    AppState s;
    s.language = 7;
    EXPECT_EQ(state::settings_from_state(s).language, "zh-TW");
    s.language = 9;
    EXPECT_EQ(state::settings_from_state(s).language, "pt-BR");
    s.language = state::FOLLOW_SYSTEM_LANGUAGE;
    EXPECT_FALSE(state::settings_from_state(s).language);
}

TEST(SaveSettings, DoesNothingWithoutStateAndWritesTheStateWhenThere) {
    test_support::TempFolder folder;
    const auto path = folder / "Quotavane/settings.json";
    StateSlot slot;
    EXPECT_FALSE(state::save_settings(slot, path));
    EXPECT_FALSE(std::filesystem::exists(path));
    AppState s;
    s.panel_theme = settings::PanelTheme::MacVibrancy;
    s.poll_interval_ms = 60000;
    slot.install(s);
    EXPECT_FALSE(state::save_settings(slot, path));
    EXPECT_EQ(settings::load_settings(path).panel_theme, settings::PanelTheme::MacVibrancy);
}

// A file that did not load at start is kept aside by the first save only, as it is then.
TEST(SaveSettings, TheFirstSaveAfterAnUnusableLoadKeepsTheFileAsideOnce) {
    test_support::TempFolder folder;
    const auto path = folder / "settings.json";
    test_support::write_text(path, R"({"pinned": tru})");
    StateSlot slot;
    slot.install(
        state::state_from_load(settings::read_settings_file(path), state::FOLLOW_SYSTEM_LANGUAGE, 0));
    const std::string fixed = R"({"pinned": true})";
    test_support::write_text(path, fixed);  // fixed by hand while the program runs
    ASSERT_FALSE(state::save_settings(slot, path));
    EXPECT_EQ(test_support::read_text(folder / "settings.json.invalid"), fixed);
    EXPECT_FALSE(slot.lock()->keep_settings_aside);
    ASSERT_FALSE(state::save_settings(slot, path));
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 2u) << "one copy, made by the first save";
}

// Saves run while other threads change the state: every file on disk must be one whole,
// consistent state — the account list and the tray selection always agree.
TEST(SaveSettings, EveryWrittenFileIsOneConsistentState) {
    test_support::TempFolder folder;
    const auto path = folder / "settings.json";
    StateSlot slot;
    slot.install(AppState{});
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (std::uint32_t n = 1; !stop.load(); ++n) {
            auto guard = slot.lock();
            const std::string id = "claude-" + std::to_string(n);
            guard->accounts.assign(1,
                                   accounts::Account{id, accounts::Provider::Claude, "d", std::nullopt, n});
            guard->tray_accounts = std::vector<std::string>{id};
            guard->usage = std::vector<UsageSnapshot>{reading(NOW)};
            guard->has_polled = true;
        }
    });
    for (int i = 0; i < 100; ++i) {
        ASSERT_FALSE(state::save_settings(slot, path));
        const auto outcome = settings::read_settings_file(path);
        ASSERT_EQ(outcome.status, settings::FileStatus::Loaded);
        if (!outcome.settings.accounts.empty()) {
            ASSERT_TRUE(outcome.settings.tray_accounts);
            EXPECT_EQ(outcome.settings.tray_accounts->at(0), outcome.settings.accounts[0].id);
        }
    }
    stop = true;
    writer.join();
}

TEST(ScaleDip, RoundsHalvesAwayFromZeroAndClamps) {
    const struct {
        std::int64_t v;
        std::uint32_t dpi;
        std::int32_t expected;
    } cases[] = {
        {10, 96, 10},
        {10, 144, 15},
        {3, 144, 5} /* 4.5 */,
        {-3, 144, -5},
        {1, 120, 1} /* 1.25 */,
        {2, 120, 3} /* 2.5 */,
        {0, 192, 0},
        {3000000000, 96, 2147483647},
        {-3000000000, 96, -2147483647 - 1},
        {std::int64_t{1} << 62, 144, 2147483647},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(state::scale_dip(c.v, c.dpi), c.expected) << c.v << " at " << c.dpi;
    }
    EXPECT_EQ(state::system_dpi().load(), 96u) << "96 DPI until start-up reads the system's";
}

}  // namespace

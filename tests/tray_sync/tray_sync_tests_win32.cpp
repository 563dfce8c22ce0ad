#include <gtest/gtest.h>

#include "diagnostics/log.hpp"
#include "native_interop/gdi_owners_win32.hpp"
#include "state/app_state.hpp"
#include "support/temp_folder.hpp"
#include "tray_icon/tray_sync_win32.hpp"

// clang-format off
#include "platform/windows_win32.hpp"  // first: the shell header needs its definitions
#include <shellapi.h>
// clang-format on

namespace {

using tray_icon::TrayIconSpec;
using Uids = std::vector<std::uint32_t>;

TrayIconSpec spec(std::uint32_t uid, bool has_usage = true) {
    TrayIconSpec s;
    s.uid = uid;
    s.has_usage = has_usage;
    s.primary = 40.0;
    s.tooltip = "Claude Code \u2014 " + std::to_string(uid);
    return s;
}

// The shell still has the icon when it accepts a change to it.
bool shell_has(HWND owner, std::uint32_t uid) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = owner;
    data.uID = uid;
    data.uFlags = NIF_TIP;
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

Uids present(HWND owner, const Uids& candidates) {
    Uids found;
    for (const std::uint32_t uid : candidates) {
        if (shell_has(owner, uid)) {
            found.push_back(uid);
        }
    }
    return found;
}

class TraySync : public ::testing::Test {
  protected:
    void SetUp() override {
        owner_ = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"tray owner", WS_POPUP, 0, 0, 1, 1, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
        if (owner_ == nullptr) {
            GTEST_SKIP() << "no display for a window";
        }
    }
    void TearDown() override {
        if (owner_ != nullptr) {
            tray_icon::delete_all_tray_icons(owner_);
            DestroyWindow(owner_);
        }
        EXPECT_EQ(native_interop::owned_counts().icons.load(), 0);
    }
    HWND owner_ = nullptr;
};

TEST_F(TraySync, AddsModifiesDeletesStaleAndReAddsAfterAShellRestart) {
    const Uids all = {4097, 8193, 4098, 65535};
    tray_icon::sync_tray_icons(owner_, {spec(4097), spec(8193, false)});
    EXPECT_EQ(tray_icon::previous_tray_uids(), (Uids{4097, 8193}));
    EXPECT_EQ(present(owner_, all), (Uids{4097, 8193}));

    // A second account selected: the first keeps its uid, the placeholder-free set grows.
    tray_icon::sync_tray_icons(owner_, {spec(4097), spec(4098), spec(8193)});
    EXPECT_EQ(present(owner_, all), (Uids{4097, 8193, 4098}));

    // Accounts leave the tray: their icons go, the placeholder comes.
    tray_icon::sync_tray_icons(owner_, {spec(65535, false)});
    EXPECT_EQ(present(owner_, all), (Uids{65535}));
    EXPECT_EQ(tray_icon::previous_tray_uids(), (Uids{65535}));

    // The shell lost its icons behind our back: unchanged ones are not sent again, a changed one is.
    tray_icon::sync_tray_icons(owner_, {spec(4097), spec(8193)});
    for (const std::uint32_t uid : {4097u, 8193u}) {
        EXPECT_TRUE(tray_icon::delete_tray_icon(owner_, uid));
    }
    EXPECT_EQ(present(owner_, all), Uids{});
    TrayIconSpec fuller = spec(8193);
    fuller.primary = 90.0;
    tray_icon::sync_tray_icons(owner_, {spec(4097), fuller});
    EXPECT_EQ(present(owner_, all), (Uids{8193}));

    // After the shell restarted ("TaskbarCreated") every icon is added again.
    tray_icon::forget_tray_icons();
    tray_icon::sync_tray_icons(owner_, {spec(4097), fuller});
    EXPECT_EQ(present(owner_, all), (Uids{4097, 8193}));

    EXPECT_EQ(tray_icon::delete_all_tray_icons(owner_), 2U);
    EXPECT_EQ(present(owner_, all), Uids{});
    EXPECT_TRUE(tray_icon::previous_tray_uids().empty());
    EXPECT_FALSE(tray_icon::delete_tray_icon(owner_, 4097)) << "already gone";
}

TEST_F(TraySync, BuildsFromTheStateAndLogsTheUids) {
    const test_support::TempFolder folder;
    ASSERT_TRUE(diagnostics::open_log(folder / "gaugelet.log"));

    tray_icon::sync_tray_icons(owner_);  // no state yet: the placeholder
    EXPECT_EQ(tray_icon::previous_tray_uids(), (Uids{65535}));

    state::AppState app;
    app.accounts = {accounts::Account{"claude-3", accounts::Provider::Claude, {}, std::nullopt, 0},
                    accounts::Account{"codex-3", accounts::Provider::Codex, {}, "me@example.com", 1}};
    state::app_state().install(app);
    tray_icon::sync_tray_icons(owner_);
    EXPECT_EQ(present(owner_, {4099, 8195, 65535}), (Uids{4099, 8195}));

    const std::string log = test_support::read_text(folder / "gaugelet.log");
    EXPECT_NE(log.find("] tray sync: 1 icons, uids=[65535]\n"), std::string::npos) << log;
    EXPECT_NE(log.find("] tray sync: 2 icons, uids=[4099, 8195]\n"), std::string::npos) << log;
}

}  // namespace

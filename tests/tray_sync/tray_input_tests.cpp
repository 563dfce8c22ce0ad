#include <gtest/gtest.h>

#include "tray_icon/tray_input.hpp"

namespace {

TEST(TrayInput, UsageEmptyBeforeTheFirstPollAndOneLanguageConversion) {
    state::AppState state;
    state.effective_language = static_cast<state::LanguageIndex>(localization::Language::German);
    EXPECT_TRUE(tray_icon::tray_input(state).usage.empty());
    EXPECT_EQ(tray_icon::tray_input(state).language, localization::Language::German);
    state.effective_language = 200;
    EXPECT_EQ(tray_icon::tray_input(state).language, localization::Language::English);
}

TEST(TrayInput, SyncLineListsTheUidsInSpecOrder) {
    std::vector<tray_icon::TrayIconSpec> specs(2);
    specs[0].uid = 4097;
    specs[1].uid = 8193;
    EXPECT_EQ(tray_icon::tray_sync_message(specs), "tray sync: 2 icons, uids=[4097, 8193]");
    EXPECT_EQ(tray_icon::tray_sync_message({}), "tray sync: 0 icons, uids=[]");
}

}  // namespace

#include <gtest/gtest.h>

#include "settings/settings_load.hpp"
#include "settings/settings_path.hpp"
#include "support/temp_folder.hpp"
#include "text/path_text.hpp"

namespace {

using settings::FileStatus;
using settings::SettingsFile;

SettingsFile decoded(const std::string& text) {
    auto result = settings::decode_settings(text);
    EXPECT_TRUE(std::holds_alternative<SettingsFile>(result))
        << text << ": " << std::get<settings::SettingsError>(result).message;
    return std::holds_alternative<SettingsFile>(result) ? std::get<SettingsFile>(result) : SettingsFile{};
}

std::string rule_broken(const std::string& text) {
    auto result = settings::decode_settings(text);
    EXPECT_TRUE(std::holds_alternative<settings::SettingsError>(result)) << text;
    return std::holds_alternative<settings::SettingsError>(result)
               ? std::get<settings::SettingsError>(result).message
               : std::string();
}

constexpr const char* ACCOUNT = R"({"id": "claude-1", "provider": "claude", "dir": "d"})";

TEST(DecodeSettings, EveryInvalidFormIsRefusedWhole) {
    const std::string invalid[] = {
        "",
        "null",
        "true",
        "\"text\"",
        "{} trailing",
        "{}{}",
        R"({"pinned": true, "pinned": true})",
        R"({"ignored": 1, "ignored": 2})",
        R"({"poll_interval_ms": -1})",
        R"({"poll_interval_ms": 60000.0})",
        R"({"poll_interval_ms": 4294967296})",
        R"({"tray_offset": 2147483648})",
        R"({"tray_offset": -2147483649})",
        R"({"tray_offset": "0"})",
        R"({"widget_visible": 1})",
        R"({"pinned": null})",
        R"({"panel_theme": "Hybrid-Dark"})",
        R"({"panel_theme": {"hybrid-dark": 0}})",
        R"({"panel_theme": {"hybrid-dark": null, "hybrid-light": null}})",
        R"({"tray_metric": "5H"})",
        R"({"hot_corner": "top_left"})",
        R"({"panel_layout": null})",
        R"({"language": 3})",
        R"({"display_mode": true})",
        R"({"tray_accounts": "claude-1"})",
        R"({"tray_accounts": ["claude-1", 2]})",
        R"({"accounts": {}})",
        R"({"accounts": null})",
        R"({"accounts": [{"id": "claude-1", "provider": "claude"}]})",
        std::string(R"({"accounts": [)") + ACCOUNT + R"(, {"id": "x", "provider": "Claude", "dir": "d"}]})",
        R"([0, 60000, null, true, "hybrid-dark", "both", true, false, false, null, "top-left", "columns", null, [], 1])",
        R"([0.5])",
        R"({"notify_near_limit": 49})",
        R"({"notify_near_limit": 101})",
        R"({"notify_near_limit": 1})",
        R"({"notify_near_limit": 90.5})",
        R"({"notify_near_limit": "90"})",
        R"({"notify_near_limit": -90})",
        R"({"notify_reset": 0})",
        R"({"show_pace": "true"})",
        R"({"show_remaining": null})",
    };
    for (const auto& text : invalid) {
        EXPECT_FALSE(rule_broken(text).empty()) << text;
    }
}

TEST(DecodeSettings, AnEmptyObjectGivesTheDefaults) {
    const SettingsFile s = decoded("{}");
    EXPECT_EQ(s, SettingsFile{});
    EXPECT_TRUE(s.panel_on_tray_hover);
    EXPECT_TRUE(s.widget_visible);
    EXPECT_EQ(s.poll_interval_ms, 60000u);
    EXPECT_EQ(s.panel_theme, settings::PanelTheme::HybridDark);
    EXPECT_EQ(s.hot_corner, settings::TrayCorner::TopLeft);
}

TEST(DecodeSettings, ReadsEveryMemberOfACompleteFile) {
    const SettingsFile s = decoded(std::string(R"({
      "tray_offset": -7, "poll_interval_ms": 4294967295, "language": "ja", "widget_visible": false,
      "panel_theme": "win11-fluent", "tray_metric": "7d", "panel_on_tray_hover": false,
      "panel_on_corner_hover": true, "pinned": true, "display_mode": "tray-hover", "hot_corner": "bottom-right",
      "panel_layout": "horizontal", "tray_accounts": ["codex-1"], "accounts": [)") +
                                   ACCOUNT + "]}");
    EXPECT_EQ(s.tray_offset, -7);
    EXPECT_EQ(s.poll_interval_ms, 4294967295u);
    EXPECT_EQ(s.language, "ja");
    EXPECT_FALSE(s.widget_visible);
    EXPECT_EQ(s.panel_theme, settings::PanelTheme::Win11Fluent);
    EXPECT_EQ(s.tray_metric, settings::TrayMetric::SevenDay);
    EXPECT_FALSE(s.panel_on_tray_hover);
    EXPECT_TRUE(s.panel_on_corner_hover);
    EXPECT_TRUE(s.pinned);
    EXPECT_FALSE(s.display_mode) << "display_mode is forgotten after load";
    EXPECT_EQ(s.hot_corner, settings::TrayCorner::BottomRight);
    EXPECT_EQ(s.panel_layout, settings::PanelLayout::Horizontal);
    EXPECT_EQ(s.tray_accounts, std::vector<std::string>{"codex-1"});
    ASSERT_EQ(s.accounts.size(), 1u);
    EXPECT_EQ(s.accounts[0].id, "claude-1");
}

TEST(DecodeSettings, ReadsTheNoticeAndDisplaySwitches) {
    struct Case {
        const char* text;
        std::uint8_t near_limit;
        bool notify_reset, show_pace, show_remaining;
    };
    const Case cases[] = {
        {"{}", 90, true, false, false},
        {R"({"notify_near_limit": 0})", 0, true, false, false},
        {R"({"notify_near_limit": 50, "notify_reset": false})", 50, false, false, false},
        {R"({"notify_near_limit": 100, "show_pace": true, "show_remaining": true})", 100, true, true, true},
        {R"([0, 60000, null, true, "hybrid-dark", "both", true, false, false, null, "top-left", "columns",
             null, [], 75, false, true, false])",
         75, false, true, false},
    };
    for (const auto& c : cases) {
        const SettingsFile s = decoded(c.text);
        EXPECT_EQ(s.notify_near_limit, c.near_limit) << c.text;
        EXPECT_EQ(s.notify_reset, c.notify_reset) << c.text;
        EXPECT_EQ(s.show_pace, c.show_pace) << c.text;
        EXPECT_EQ(s.show_remaining, c.show_remaining) << c.text;
    }
}

TEST(DecodeSettings, AcceptsTheOtherWrittenForms) {
    EXPECT_EQ(decoded(R"({"panel_theme": {"hybrid-light": null}})").panel_theme,
              settings::PanelTheme::HybridLight);
    EXPECT_EQ(decoded(R"({"unknown": [1, {"x": null}], "pinned": true})").pinned, true);
    EXPECT_EQ(decoded(R"({"language": null, "tray_accounts": null})"), SettingsFile{});
    EXPECT_EQ(decoded(R"({"language": "system"})").language, "system") << "mapping is for the language table";

    const SettingsFile positional = decoded(R"([5, 1000, "de", false, "mac-vibrancy"])");
    EXPECT_EQ(positional.tray_offset, 5);
    EXPECT_EQ(positional.poll_interval_ms, 1000u);
    EXPECT_EQ(positional.language, "de");
    EXPECT_FALSE(positional.widget_visible);
    EXPECT_EQ(positional.panel_theme, settings::PanelTheme::MacVibrancy);
    EXPECT_EQ(positional.tray_metric, settings::TrayMetric::Both);
    EXPECT_EQ(decoded("[]"), SettingsFile{});
}

TEST(DecodeSettings, TheOlderCornerHoverModeTurnsOnBothHoverSwitches) {
    const SettingsFile s = decoded(R"({"display_mode": "corner-hover", "panel_on_tray_hover": false})");
    EXPECT_TRUE(s.panel_on_tray_hover);
    EXPECT_TRUE(s.panel_on_corner_hover);
    const SettingsFile other = decoded(R"({"display_mode": "Corner-Hover", "panel_on_tray_hover": false})");
    EXPECT_FALSE(other.panel_on_tray_hover);
    EXPECT_FALSE(other.panel_on_corner_hover);
}

TEST(DecodeSettings, SaysWhichRuleWasBrokenAndWhere) {
    EXPECT_EQ(rule_broken(R"({"panel_theme": "Hybrid-Dark"})"), "unknown panel theme \"Hybrid-Dark\"");
    auto repeated = settings::decode_settings("{\n\"pinned\": true,\n\"pinned\": true}");
    ASSERT_TRUE(std::holds_alternative<settings::SettingsError>(repeated));
    EXPECT_EQ(std::get<settings::SettingsError>(repeated).message, "repeated key \"pinned\"");
    EXPECT_EQ(std::get<settings::SettingsError>(repeated).line, 3u);
    EXPECT_EQ(rule_broken(std::string(R"({"accounts": [)") + ACCOUNT + R"(, {"id": "x"}]})"),
              "account 2: account is missing \"provider\"");
}

struct HostileFile {
    const char* name;
    std::string contents;
};

TEST(ReadSettingsFile, HostileFilesLoadAsDefaultsAndStayOnDisk) {
    const HostileFile files[] = {
        {"empty", ""},
        {"truncated", R"({"pinned": true, "accounts": [{"id": "claude-1", "prov)"},
        {"5 MB", "{\"pad\": \"" + std::string(5 * 1024 * 1024, 'x') + "\"}"},
        {"deep nesting", "{\"x\": " + std::string(100000, '[')},
        {"NUL bytes", std::string("{\"pinned\": true\0}", 17)},
        {"invalid UTF-8", "{\"language\": \"\xC3\x28\"}"},
        {"byte-order mark before a bad file", "\xEF\xBB\xBF{\"pinned\": tru}"},
        {"binary", std::string("\x00\x01\x02\xFF\xFE", 5)},
    };
    for (const auto& file : files) {
        test_support::TempFolder folder;
        const auto path = folder / "settings.json";
        test_support::write_text(path, file.contents);
        const settings::LoadOutcome outcome = settings::read_settings_file(path);
        EXPECT_EQ(outcome.status, FileStatus::Invalid) << file.name;
        EXPECT_TRUE(outcome.error) << file.name;
        EXPECT_EQ(outcome.settings, SettingsFile{}) << file.name;
        EXPECT_EQ(settings::load_settings(path), SettingsFile{}) << file.name;
        EXPECT_EQ(test_support::read_text(path), file.contents)
            << file.name << ": loading must not touch the file";
    }
}

TEST(ReadSettingsFile, AMissingFileIsNotAnError) {
    test_support::TempFolder folder;
    const auto outcome = settings::read_settings_file(folder / "settings.json");
    EXPECT_EQ(outcome.status, FileStatus::Missing);
    EXPECT_FALSE(outcome.error);
}

TEST(ReadSettingsFile, LoadsFromAFolderWithNonAsciiCharacters) {
    test_support::TempFolder folder("Zo\xC3\xAB-\xE3\x83\xA6\xE3\x83\xBC\xE3\x82\xB6\xE3\x83\xBC");
    const auto path = settings::settings_path_for(text::path_to_utf8(folder.path()));
    std::filesystem::create_directories(path.parent_path());
    test_support::write_text(path, R"({"pinned": true})");
    const auto outcome = settings::read_settings_file(path);
    EXPECT_EQ(outcome.status, FileStatus::Loaded);
    EXPECT_TRUE(outcome.settings.pinned);
}

TEST(SettingsPath, FollowsAppDataOrFallsBackToTheCurrentFolder) {
    EXPECT_EQ(settings::settings_path_for(std::nullopt),
              std::filesystem::path(".") / "Quotavane" / "settings.json");
    EXPECT_EQ(settings::settings_path_for(std::string("/roaming")),
              std::filesystem::path("/roaming") / "Quotavane" / "settings.json");
}

}  // namespace

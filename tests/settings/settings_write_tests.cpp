#include <gtest/gtest.h>

#include "settings/settings_load.hpp"
#include "settings/settings_write.hpp"
#include "support/temp_folder.hpp"

namespace {

using accounts::Account;
using accounts::Provider;
using settings::SettingsFile;
using test_support::read_text;
using test_support::TempFolder;
using test_support::write_text;

constexpr const char* NON_ASCII = "Zo\xC3\xAB-\xE3\x83\xA6\xE3\x83\xBC\xE3\x82\xB6\xE3\x83\xBC";

std::string encoded(const SettingsFile& s) {
    auto text = settings::encode_settings(s);
    EXPECT_TRUE(std::holds_alternative<std::string>(text));
    return std::holds_alternative<std::string>(text) ? std::get<std::string>(text) : std::string();
}

TEST(EncodeSettings, WritesTheDefaultsWithoutOptionalMembers) {
    EXPECT_EQ(encoded(SettingsFile{}),
              "{\n"
              "  \"tray_offset\": 0,\n"
              "  \"poll_interval_ms\": 60000,\n"
              "  \"widget_visible\": true,\n"
              "  \"panel_theme\": \"hybrid-dark\",\n"
              "  \"tray_metric\": \"both\",\n"
              "  \"panel_on_tray_hover\": true,\n"
              "  \"panel_on_corner_hover\": false,\n"
              "  \"pinned\": false,\n"
              "  \"hot_corner\": \"top-left\",\n"
              "  \"panel_layout\": \"columns\",\n"
              "  \"notify_near_limit\": 90,\n"
              "  \"notify_reset\": true,\n"
              "  \"show_pace\": false,\n"
              "  \"show_remaining\": false\n"
              "}");
}

TEST(EncodeSettings, WritesSetMembersInDeclarationOrderAndNeverDisplayMode) {
    SettingsFile s;
    s.language = "pt-BR";
    s.display_mode = "corner-hover";
    s.tray_metric = settings::TrayMetric::FiveHour;
    s.tray_accounts = std::vector<std::string>{};
    s.accounts.push_back(Account{"codex-1", Provider::Codex, "C:/a", "me@example.com", 0});
    s.accounts.push_back(Account{"claude-1", Provider::Claude, "C:/b", std::nullopt, 1});
    EXPECT_EQ(encoded(s),
              "{\n"
              "  \"tray_offset\": 0,\n"
              "  \"poll_interval_ms\": 60000,\n"
              "  \"language\": \"pt-BR\",\n"
              "  \"widget_visible\": true,\n"
              "  \"panel_theme\": \"hybrid-dark\",\n"
              "  \"tray_metric\": \"5h\",\n"
              "  \"panel_on_tray_hover\": true,\n"
              "  \"panel_on_corner_hover\": false,\n"
              "  \"pinned\": false,\n"
              "  \"hot_corner\": \"top-left\",\n"
              "  \"panel_layout\": \"columns\",\n"
              "  \"tray_accounts\": [],\n"
              "  \"accounts\": [\n"
              "    {\n"
              "      \"id\": \"codex-1\",\n"
              "      \"provider\": \"codex\",\n"
              "      \"dir\": \"C:/a\",\n"
              "      \"email\": \"me@example.com\",\n"
              "      \"order\": 0\n"
              "    },\n"
              "    {\n"
              "      \"id\": \"claude-1\",\n"
              "      \"provider\": \"claude\",\n"
              "      \"dir\": \"C:/b\",\n"
              "      \"email\": null,\n"
              "      \"order\": 1\n"
              "    }\n"
              "  ],\n"
              "  \"notify_near_limit\": 90,\n"
              "  \"notify_reset\": true,\n"
              "  \"show_pace\": false,\n"
              "  \"show_remaining\": false\n"
              "}");
}

TEST(EncodeSettings, WhatIsWrittenLoadsBackTheSame) {
    SettingsFile s;
    s.tray_offset = -2147483647 - 1;
    s.poll_interval_ms = 4294967295u;
    s.language = "zh-TW";
    s.widget_visible = false;
    s.panel_theme = settings::PanelTheme::HybridLight;
    s.tray_metric = settings::TrayMetric::SevenDay;
    s.panel_on_tray_hover = false;
    s.panel_on_corner_hover = true;
    s.pinned = true;
    s.hot_corner = settings::TrayCorner::BottomLeft;
    s.panel_layout = settings::PanelLayout::Vertical;
    s.tray_accounts = std::vector<std::string>{"claude-2", "codex-1"};
    s.notify_near_limit = 0;
    s.notify_reset = false;
    s.show_pace = true;
    s.show_remaining = true;
    s.accounts.push_back(Account{"claude-2", Provider::Claude,
                                 test_support::utf8_path(std::string("C:/") + NON_ASCII), "\"q\"@x", 9});
    const auto back = settings::decode_settings(encoded(s));
    ASSERT_TRUE(std::holds_alternative<SettingsFile>(back));
    EXPECT_EQ(std::get<SettingsFile>(back), s);
}

TEST(EncodeSettings, FailsOnTextThatCannotBeWritten) {
    SettingsFile s;
#ifdef _WIN32
    const std::filesystem::path bad_dir(std::wstring{L'd', wchar_t(0xD801)});
#else
    const std::filesystem::path bad_dir(std::string("d\xC0"));
#endif
    s.accounts.push_back(Account{"claude-1", Provider::Claude, bad_dir, std::nullopt, 0});
    auto text = settings::encode_settings(s);
    ASSERT_TRUE(std::holds_alternative<settings::EncodeError>(text));
    EXPECT_EQ(std::get<settings::EncodeError>(text).reason, "path contains invalid UTF-8 characters");

    SettingsFile bad_email;
    bad_email.accounts.push_back(Account{"claude-1", Provider::Claude, "d", std::string("\xFF"), 0});
    EXPECT_TRUE(std::holds_alternative<settings::EncodeError>(settings::encode_settings(bad_email)));
}

TEST(WriteSettingsFile, CreatesTheFolderAndWritesUnderANonAsciiPath) {
    TempFolder folder(NON_ASCII);
    const auto path = folder / "Quotavane/settings.json";
    SettingsFile s;
    s.pinned = true;
    ASSERT_FALSE(settings::write_settings_file(path, s));
    EXPECT_EQ(read_text(path), encoded(s));
    EXPECT_EQ(read_text(path).back(), '}') << "no trailing line feed";
    EXPECT_TRUE(settings::load_settings(path).pinned);
}

TEST(WriteSettingsFile, AFailedEncodingLeavesTheFileUntouched) {
    TempFolder folder;
    const auto path = folder / "settings.json";
    write_text(path, R"({"pinned": true})");
    SettingsFile s;
    s.accounts.push_back(Account{"claude-1", Provider::Claude, "d", std::string("\xC3"), 0});
    EXPECT_TRUE(settings::write_settings_file(path, s));
    EXPECT_EQ(read_text(path), R"({"pinned": true})");
}

TEST(WriteSettingsFile, KeepsAnInvalidFileAsideBeforeReplacingIt) {
    TempFolder folder(NON_ASCII);
    const auto path = folder / "settings.json";
    const std::string typo =
        R"({"accounts": [{"id": "claude-1", "provider": "claude", "dir": "d"}], "pinned": tru})";
    write_text(path, typo);
    ASSERT_FALSE(settings::write_settings_file(path, SettingsFile{}));
    EXPECT_EQ(read_text(folder / "settings.json.invalid"), typo);
    EXPECT_EQ(settings::read_settings_file(path).status, settings::FileStatus::Loaded);

    // A valid file is simply replaced; no further copy is made.
    ASSERT_FALSE(settings::write_settings_file(path, SettingsFile{}));
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 2u);
}

// Whether the file is kept aside is decided when it is loaded: a file that was unusable then is
// copied as it is at the first save, even when it was fixed by hand meanwhile.
TEST(WriteSettingsFile, KeepsAsideWhatTheLoadFoundUnusableEvenWhenFixedSince) {
    const struct {
        settings::FileStatus at_load;
        bool copied;
    } cases[] = {
        {settings::FileStatus::Invalid, true},
        {settings::FileStatus::Unreadable, true},
        {settings::FileStatus::Loaded, false},
        {settings::FileStatus::Missing, false},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        const auto path = folder / "settings.json";
        const std::string fixed = R"({"accounts": [{"id": "claude-1", "provider": "claude", "dir": "d"}]})";
        write_text(path, fixed);
        settings::LoadOutcome loaded;
        loaded.status = c.at_load;
        ASSERT_FALSE(settings::write_settings_file(path, SettingsFile{}, settings::keep_aside_after(loaded)));
        EXPECT_EQ(std::filesystem::exists(folder / "settings.json.invalid"), c.copied)
            << static_cast<int>(c.at_load);
        if (c.copied) {
            EXPECT_EQ(read_text(folder / "settings.json.invalid"), fixed);
        }
        EXPECT_EQ(read_text(path), encoded(SettingsFile{}));
    }
    // A file gone since has nothing to keep.
    TempFolder folder;
    settings::LoadOutcome invalid;
    invalid.status = settings::FileStatus::Invalid;
    EXPECT_FALSE(settings::write_settings_file(folder / "settings.json", SettingsFile{},
                                               settings::keep_aside_after(invalid)));
    EXPECT_FALSE(std::filesystem::exists(folder / "settings.json.invalid"));
}

TEST(WriteSettingsFile, NeverOverwritesAnEarlierKeptCopy) {
    TempFolder folder;
    const auto path = folder / "settings.json";
    write_text(folder / "settings.json.invalid", "first typo");
    write_text(path, "second typo");
    ASSERT_FALSE(settings::write_settings_file(path, SettingsFile{}));
    EXPECT_EQ(read_text(folder / "settings.json.invalid"), "first typo");
    bool found = false;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("settings.json.invalid-", 0) == 0) {
            found = true;
            EXPECT_EQ(read_text(entry.path()), "second typo");
        }
    }
    EXPECT_TRUE(found);
}

TEST(WriteSettingsFile, AnUnwritableLocationFailsWithNothingPartlyWritten) {
    TempFolder folder;
    // The settings folder cannot exist: a file stands where it should be.
    write_text(folder / "Quotavane", "not a folder");
    EXPECT_TRUE(settings::write_settings_file(folder / "Quotavane/settings.json", SettingsFile{}));
    EXPECT_EQ(read_text(folder / "Quotavane"), "not a folder");

    // The file itself cannot be replaced: a folder stands in its place.
    std::filesystem::create_directories(folder / "other/settings.json");
    EXPECT_TRUE(settings::write_settings_file(folder / "other/settings.json", SettingsFile{}));
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder / "other")) {
        ++entries;
    }
    EXPECT_EQ(entries, 1u) << "no temporary file may be left behind";
}

}  // namespace

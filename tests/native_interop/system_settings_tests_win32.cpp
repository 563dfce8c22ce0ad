#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>

#include "native_interop/system_settings_win32.hpp"
#include "platform/windows_win32.hpp"

namespace {

using native_interop::AUTOSTART_VALUE;
using native_interop::LIGHT_THEME_VALUE;
using native_interop::PERSONALIZE_KEY;
using native_interop::RUN_KEY;

// The raw value under HKCU, its type and bytes; nothing when missing.
struct RawValue {
    DWORD type = 0;
    std::wstring bytes_as_text;
    DWORD size = 0;
};

std::optional<RawValue> read_value(const wchar_t* key, const wchar_t* name) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr, &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_ANY | RRF_NOEXPAND, &type, text.data(), &size);
    text.resize(size / sizeof(wchar_t));
    return RawValue{type, text, size};
}

void write_string(const wchar_t* key, const wchar_t* name, const std::wstring& text) {
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_SZ, text.c_str(),
                              static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

void write_dword(const wchar_t* key, const wchar_t* name, DWORD value) {
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_DWORD, &value, sizeof(value)), ERROR_SUCCESS);
}

void delete_value(const wchar_t* key, const wchar_t* name) {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, key, name);
}

bool key_exists(const wchar_t* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

// Leaves the Run value as the test found it.
class Autostart : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = read_value(RUN_KEY, AUTOSTART_VALUE);
        delete_value(RUN_KEY, AUTOSTART_VALUE);
    }
    void TearDown() override {
        delete_value(RUN_KEY, AUTOSTART_VALUE);
        if (saved_) {
            write_string(RUN_KEY, AUTOSTART_VALUE, saved_->bytes_as_text.c_str());
        }
    }
    std::optional<RawValue> saved_;
};

TEST_F(Autostart, ToggleWritesTheBarePathThenDeletesIt) {
    const auto program = native_interop::program_path();
    ASSERT_TRUE(program);
    EXPECT_FALSE(native_interop::autostart_enabled());

    native_interop::toggle_autostart();
    const auto written = read_value(RUN_KEY, AUTOSTART_VALUE);
    ASSERT_TRUE(written);
    EXPECT_EQ(written->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(written->size, (program->size() + 1) * sizeof(wchar_t)) << "length counts the terminating NUL";
    EXPECT_EQ(std::wstring(written->bytes_as_text.c_str()), *program);
    EXPECT_TRUE(native_interop::autostart_enabled());

    native_interop::toggle_autostart();
    EXPECT_FALSE(read_value(RUN_KEY, AUTOSTART_VALUE));
    EXPECT_FALSE(native_interop::autostart_enabled());
}

TEST_F(Autostart, OtherLetterCaseReadsAsOnAndQuotedReadsAsOff) {
    const auto program = native_interop::program_path();
    ASSERT_TRUE(program);
    std::wstring lower = *program;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c; });
    write_string(RUN_KEY, AUTOSTART_VALUE, lower);
    EXPECT_TRUE(native_interop::autostart_enabled());
    native_interop::toggle_autostart();
    EXPECT_FALSE(read_value(RUN_KEY, AUTOSTART_VALUE)) << "the next toggle deletes it";

    write_string(RUN_KEY, AUTOSTART_VALUE, L"\"" + *program + L"\"");
    EXPECT_FALSE(native_interop::autostart_enabled());
    native_interop::toggle_autostart();
    const auto rewritten = read_value(RUN_KEY, AUTOSTART_VALUE);
    ASSERT_TRUE(rewritten);
    EXPECT_EQ(std::wstring(rewritten->bytes_as_text.c_str()), *program) << "overwritten with the bare path";
}

// Leaves the Personalize key as the test found it (a new Wine prefix has none).
class SystemTheme : public ::testing::Test {
  protected:
    void SetUp() override {
        key_existed_ = key_exists(PERSONALIZE_KEY);
        saved_ = read_value(PERSONALIZE_KEY, LIGHT_THEME_VALUE);
    }
    void TearDown() override {
        delete_value(PERSONALIZE_KEY, LIGHT_THEME_VALUE);
        if (saved_ && saved_->type == REG_DWORD) {
            write_dword(PERSONALIZE_KEY, LIGHT_THEME_VALUE,
                        *reinterpret_cast<const DWORD*>(saved_->bytes_as_text.data()));
        }
        if (!key_existed_) {
            RegDeleteKeyW(HKEY_CURRENT_USER, PERSONALIZE_KEY);
        }
    }
    bool key_existed_ = false;
    std::optional<RawValue> saved_;
};

TEST_F(SystemTheme, MissingKeyOrValueReadsDarkAndOnlyOneIsLight) {
    if (!key_existed_) {
        EXPECT_TRUE(native_interop::system_prefers_dark()) << "no Personalize key";
    }
    write_dword(PERSONALIZE_KEY, LIGHT_THEME_VALUE, 1);
    EXPECT_FALSE(native_interop::system_prefers_dark());
    write_dword(PERSONALIZE_KEY, LIGHT_THEME_VALUE, 0);
    EXPECT_TRUE(native_interop::system_prefers_dark());
    write_string(PERSONALIZE_KEY, LIGHT_THEME_VALUE, L"1");
    EXPECT_TRUE(native_interop::system_prefers_dark()) << "not a 32-bit value";
    delete_value(PERSONALIZE_KEY, LIGHT_THEME_VALUE);
    EXPECT_TRUE(native_interop::system_prefers_dark()) << "no value";
}

TEST_F(SystemTheme, RefreshStoresAChangeAndAsksForOneRender) {
    state::StateSlot slot;
    EXPECT_FALSE(native_interop::refresh_system_theme(slot)) << "no state yet";
    state::AppState initial;
    initial.system_dark = true;
    slot.install(initial);
    write_dword(PERSONALIZE_KEY, LIGHT_THEME_VALUE, 1);
    EXPECT_TRUE(native_interop::refresh_system_theme(slot));
    EXPECT_FALSE(slot.lock()->system_dark);
    EXPECT_FALSE(native_interop::refresh_system_theme(slot)) << "unchanged";
}

}  // namespace

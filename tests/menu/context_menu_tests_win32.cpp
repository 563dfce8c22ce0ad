#include <gtest/gtest.h>

#include <string>

#include "menu/context_menu_win32.hpp"
#include "platform/clock.hpp"
#include "platform/wide_win32.hpp"
#include "state/app_state.hpp"
#include "state/ui_values.hpp"

namespace {

using accounts::Account;
using accounts::Provider;

// The built menu read back with GetMenuItemInfoW, as an outline: "[x]" checked, "(id)" command,
// ">" submenu, "--" separator.
void outline(HMENU menu, int depth, std::string& out) {
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        ASSERT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info));
        out += std::string(static_cast<std::size_t>(depth) * 2, ' ');
        if (info.fType & MFT_SEPARATOR) {
            out += "--\n";
            continue;
        }
        std::wstring text(info.cch + 1, L'\0');
        info.dwTypeData = text.data();
        info.cch += 1;
        ASSERT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info));
        text.resize(info.cch);
        out += (info.fState & MFS_CHECKED ? "[x] " : "") + platform::from_wide(text).value_or("?");
        if (info.fState & MFS_GRAYED) {
            out += " (greyed)";
        }
        if (info.fType & MFT_RADIOCHECK) {
            out += " (radio)";
        }
        if (info.hSubMenu != nullptr) {
            out += " >\n";
            outline(info.hSubMenu, depth + 1, out);
        } else {
            out += " (" + std::to_string(info.wID) + ")\n";
        }
    }
}

std::string outline(HMENU menu) {
    std::string out;
    outline(menu, 0, out);
    return out;
}

menu::MenuInput korean_input_with_accounts() {
    menu::MenuInput input;
    input.language = localization::Language::Korean;
    input.hot_corner = settings::TrayCorner::TopRight;
    input.tray_metric = settings::TrayMetric::FiveHour;
    input.panel_theme = settings::PanelTheme::MacVibrancy;
    input.panel_layout = settings::PanelLayout::Horizontal;
    input.panel_on_tray_hover = true;
    input.autostart = true;
    input.accounts = {Account{"claude-1", Provider::Claude, {}, "a&b@example.com", 0},
                      Account{"codex-2", Provider::Codex, {}, std::nullopt, 1}};
    input.tray_accounts = std::vector<std::string>{"codex-2"};
    return input;
}

TEST(PopupMenu, ReadsBackWithTextsIdentifiersAndCheckMarks) {
    const auto entries = menu::build_context_menu(korean_input_with_accounts());
    {
        const native_interop::Menu root = menu::build_popup_menu(entries);
        ASSERT_TRUE(root);
        EXPECT_EQ(outline(root.get()),
                  "Accounts >\n"
                  "  Add Claude account (70)\n"
                  "  Add Codex account (71)\n"
                  "  --\n"
                  "  Claude \u2014 a&&b@example.com >\n"
                  "    Re-login (200)\n"
                  "    Remove (300)\n"
                  "  Codex \u2014 codex-2 >\n"
                  "    Re-login (201)\n"
                  "    Remove (301)\n"
                  "\uC124\uC815 >\n"
                  "  [x] Panel on tray hover (110)\n"
                  "  Panel on corner hover (111)\n"
                  "  Hot corner >\n"
                  "    Top-left (120)\n"
                  "    [x] Top-right (121)\n"
                  "    Bottom-left (122)\n"
                  "    Bottom-right (123)\n"
                  "  Tray metric >\n"
                  "    5h + 7d (90)\n"
                  "    [x] 5h only (91)\n"
                  "    7d only (92)\n"
                  "  Tray accounts >\n"
                  "    Claude \u2014 a&&b@example.com (400)\n"
                  "    [x] Codex \u2014 codex-2 (401)\n"
                  "  Panel Theme >\n"
                  "    [x] macOS Vibrancy (80)\n"
                  "    Windows 11 Fluent (81)\n"
                  "    Refined Hybrid (Dark) (82)\n"
                  "    Refined Hybrid (Light) (83)\n"
                  "  Layout >\n"
                  "    Columns (by provider) (130)\n"
                  "    Vertical stack (131)\n"
                  "    [x] Horizontal row (132)\n"
                  "  [x] \uC54C\uB9BC (140)\n"
                  "  \uC0AC\uC6A9 \uC18D\uB3C4 \uD45C\uC2DC (141)\n"
                  "  \uB0A8\uC740 \uC591 \uD45C\uC2DC (142)\n"
                  "  [x] Windows \uC2DC\uC791 \uC2DC \uC790\uB3D9 \uC2E4\uD589 (20)\n"
                  "--\n"
                  "\uC885\uB8CC (2)\n"
                  "--\n"
                  "Gaugelet " GAUGELET_VERSION " (greyed) (0)\n");
        EXPECT_EQ(native_interop::owned_counts().menus.load(), 1) << "submenus belong to the root";
    }
    EXPECT_EQ(native_interop::owned_counts().menus.load(), 0);
}

// Fails the n-th CreatePopupMenu (1-based) and counts every call.
int calls = 0;
int fail_at = 0;
HMENU WINAPI failing_create() {
    return ++calls == fail_at ? nullptr : CreatePopupMenu();
}

TEST(PopupMenu, AFailedCreatePopupMenuLeavesTheEntryOutAndLeaksNothing) {
    const auto entries = menu::build_context_menu(korean_input_with_accounts());
    calls = 0;
    fail_at = 1;
    EXPECT_FALSE(menu::build_popup_menu(entries, failing_create)) << "no root: nothing to show";
    EXPECT_EQ(calls, 1);

    calls = 0;
    fail_at = 2;  // the "Accounts" submenu
    {
        const native_interop::Menu root = menu::build_popup_menu(entries, failing_create);
        ASSERT_TRUE(root);
        EXPECT_EQ(GetMenuItemCount(root.get()), 5) << "settings, separator, exit, separator, version";
        EXPECT_TRUE(outline(root.get()).starts_with("\uC124\uC815 >\n"));
    }
    EXPECT_EQ(native_interop::owned_counts().menus.load(), 0);
}

// The owner window of the tracked menu: its timer records what it sees and ends the menu.
bool saw_menu_open = false;
int hides = 0;

LRESULT CALLBACK owner_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
    if (message == WM_TIMER) {
        KillTimer(hwnd, wparam);
        saw_menu_open = state::ui_values().menu_open;
        EndMenu();
        return 0;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

void count_hide(HWND) noexcept {
    ++hides;
}

TEST(ContextMenu, TracksAtTheCursorThenSuppressesHover) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = owner_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"GaugeletMenuOwnerTest";
    RegisterClassW(&wc);
    HWND owner = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"owner", WS_POPUP, 0, 0, 10, 10,
                                 nullptr, nullptr, wc.hInstance, nullptr);
    if (owner == nullptr) {
        GTEST_SKIP() << "no display for a window";
    }
    struct Case {
        bool from_panel;
        bool pinned;
        int hides;
    };
    const Case cases[] = {{false, false, 1}, {true, false, 0}, {false, true, 0}};
    for (const Case& c : cases) {
        state::AppState app;
        app.pinned = c.pinned;
        state::app_state().install(app);
        hides = 0;
        saw_menu_open = false;
        ASSERT_NE(SetTimer(owner, 1, 50, nullptr), 0u);
        const platform::FileTime before = platform::precise_now();
        menu::show_context_menu(owner, c.from_panel, count_hide);
        const platform::FileTime after = platform::precise_now();

        EXPECT_EQ(hides, c.hides) << c.from_panel << c.pinned;
        EXPECT_TRUE(saw_menu_open) << "menu_open while the menu tracks";
        EXPECT_FALSE(state::ui_values().menu_open);
        const auto until = state::ui_values().show_suppressed_until.get();
        ASSERT_TRUE(until);
        constexpr platform::FileTime suppression = 600 * platform::FILETIME_TICKS_PER_MILLISECOND;
        EXPECT_GE(*until, before + suppression);
        EXPECT_LE(*until, after + suppression);
        EXPECT_EQ(native_interop::owned_counts().menus.load(), 0);
    }

    // The commands of the menu shown name the accounts it was built for.
    state::AppState with_accounts;
    with_accounts.accounts = {accounts::Account{"claude-1", accounts::Provider::Claude, {}, std::nullopt, 0},
                              accounts::Account{"codex-1", accounts::Provider::Codex, {}, std::nullopt, 1}};
    state::app_state().install(with_accounts);
    ASSERT_NE(SetTimer(owner, 1, 50, nullptr), 0u);
    menu::show_context_menu(owner, true, count_hide);
    EXPECT_EQ(menu::shown_menu_account(301), "codex-1");
    EXPECT_EQ(menu::shown_menu_account(400), "claude-1");
    EXPECT_EQ(menu::shown_menu_account(302), "");

    // A second right-click while the menu tracks: no second menu, no hide, the flag stays set.
    state::ui_values().menu_open = true;
    hides = 0;
    menu::show_context_menu(owner, false, count_hide);
    EXPECT_EQ(hides, 0);
    EXPECT_TRUE(state::ui_values().menu_open);
    state::ui_values().menu_open = false;
    DestroyWindow(owner);
}

}  // namespace

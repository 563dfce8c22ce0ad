// The context menu with Win32 popup menus and TrackPopupMenu.
#include "menu/context_menu_win32.hpp"

#include <string>

#include "diagnostics/log.hpp"
#include "menu/menu_input.hpp"
#include "native_interop/system_settings_win32.hpp"
#include "platform/clock.hpp"
#include "platform/wide_win32.hpp"
#include "state/app_state.hpp"
#include "state/ui_values.hpp"

namespace menu {
namespace {

// '&' would mark the next letter as the entry's mnemonic (an address like a&b@x.com).
std::wstring menu_text(std::string_view utf8) {
    const std::wstring wide = platform::to_wide(utf8).value_or(std::wstring());
    std::wstring text;
    text.reserve(wide.size());
    for (const wchar_t c : wide) {
        text += c;
        if (c == L'&') {
            text += L'&';
        }
    }
    return text;
}

void append_entries(HMENU menu, const std::vector<MenuEntry>& entries, CreatePopup create) {
    for (const MenuEntry& entry : entries) {
        switch (entry.kind) {
            case MenuEntry::Kind::Separator:
                AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
                break;
            case MenuEntry::Kind::Command:
                AppendMenuW(menu,
                            MF_STRING | (entry.checked ? MF_CHECKED : MF_UNCHECKED) |
                                (entry.enabled ? MF_ENABLED : MF_GRAYED),
                            entry.id, menu_text(entry.text).c_str());
                break;
            case MenuEntry::Kind::Submenu: {
                native_interop::Menu submenu(create());
                if (!submenu) {
                    break;
                }
                append_entries(submenu.get(), entry.children, create);
                if (AppendMenuW(menu, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(submenu.get()),
                                menu_text(entry.text).c_str())) {
                    (void)submenu.release();  // owned by its parent now, destroyed with it
                }
                break;
            }
        }
    }
}

// The entries of the last menu shown, so that its commands name the accounts it showed. Only the
// window's thread shows menus and handles their commands. (Not thread_local: mingw's emulated TLS
// corrupted the heap when another thread ended.)
std::optional<std::vector<MenuEntry>> shown_menu;

// Copies what the menu shows; the registry is read before the state lock is taken.
MenuInput current_menu_input() {
    const bool autostart = native_interop::autostart_enabled();
    const auto guard = state::app_state().lock();
    if (!guard) {
        MenuInput input;
        input.autostart = autostart;
        return input;
    }
    return menu_input(*guard, autostart);
}

// Clears `menu_open` and starts the hover suppression however the menu ends.
class MenuOpen {
  public:
    MenuOpen() noexcept { state::ui_values().menu_open = true; }
    ~MenuOpen() {
        state::UiValues& ui = state::ui_values();
        ui.menu_open = false;
        try {
            ui.show_suppressed_until.set(platform::precise_now() +
                                         SHOW_SUPPRESSION_MS * platform::FILETIME_TICKS_PER_MILLISECOND);
        } catch (...) {
        }
    }
    MenuOpen(const MenuOpen&) = delete;
    MenuOpen& operator=(const MenuOpen&) = delete;
};

}  // namespace

native_interop::Menu build_popup_menu(const std::vector<MenuEntry>& entries, CreatePopup create) noexcept {
    native_interop::Menu root(create());
    if (!root) {
        return root;
    }
    try {
        append_entries(root.get(), entries, create);
    } catch (...) {
        return {};  // the partial tree goes with the root
    }
    return root;
}

void show_context_menu(HWND owner, bool from_panel, HidePanel hide_panel) noexcept {
    try {
        // A right-click that arrives while a menu tracks (its modal loop still dispatches the
        // tray's messages) opens no second menu, and leaves `menu_open` to the first.
        if (state::ui_values().menu_open) {
            return;
        }
        if (!from_panel && hide_panel != nullptr && !state::is_pinned()) {
            hide_panel(owner);
        }
        const MenuOpen open;
        shown_menu = build_context_menu(current_menu_input());
        const native_interop::Menu root = build_popup_menu(*shown_menu);
        if (!root) {
            return;
        }
        diagnostics::log_line("context menu opened");
        POINT cursor{};
        GetCursorPos(&cursor);  // a failure leaves (0, 0)
        // Without the owner in the foreground the menu would not close when the user clicks
        // elsewhere.
        SetForegroundWindow(owner);
        TrackPopupMenu(root.get(), TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, owner, nullptr);
        // A menu tracked for a notification-area icon needs the owner to process one more
        // message, or it may not open again on the next click.
        PostMessageW(owner, WM_NULL, 0, 0);
    } catch (...) {
    }
}

std::optional<std::string> shown_menu_account(std::uint32_t id) {
    if (!shown_menu) {
        return std::nullopt;
    }
    return entry_account(*shown_menu, id);
}

}  // namespace menu

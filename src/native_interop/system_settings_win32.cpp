// The autostart entry and the system theme, read from and written to HKEY_CURRENT_USER.
#include "native_interop/system_settings_win32.hpp"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "native_interop/gdi_owners_win32.hpp"
#include "native_interop/system_settings_rules.hpp"
#include "platform/windows_win32.hpp"

namespace native_interop {
namespace {

RegistryKey open_key(const wchar_t* path, REGSAM access) noexcept {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, access, &key) != ERROR_SUCCESS) {
        return {};
    }
    return RegistryKey(key);
}

// The Run value's text, or nothing when it is missing, empty or unreadable.
std::optional<std::wstring> read_autostart_value() {
    const RegistryKey key = open_key(RUN_KEY, KEY_READ);
    if (!key) {
        return std::nullopt;
    }
    DWORD size = 0;
    if (RegQueryValueExW(key.get(), AUTOSTART_VALUE, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS ||
        size == 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> data(size);
    if (RegQueryValueExW(key.get(), AUTOSTART_VALUE, nullptr, nullptr, data.data(), &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::wstring text(size / sizeof(wchar_t), L'\0');
    std::copy_n(data.data(), text.size() * sizeof(wchar_t), reinterpret_cast<std::uint8_t*>(text.data()));
    return text;
}

}  // namespace

std::optional<std::wstring> program_path() noexcept {
    try {
        // Grow past MAX_PATH rather than compare or write a cut path.
        for (DWORD capacity = MAX_PATH; capacity <= 32768; capacity *= 2) {
            std::wstring path(capacity, L'\0');
            const DWORD length = GetModuleFileNameW(nullptr, path.data(), capacity);
            if (length == 0) {
                return std::nullopt;
            }
            if (length < capacity) {
                path.resize(length);
                return path;
            }
        }
    } catch (...) {
    }
    return std::nullopt;
}

bool autostart_enabled() noexcept {
    try {
        const auto stored = read_autostart_value();
        const auto program = program_path();
        return stored && program &&
               autostart_entry_matches(std::wstring_view(*stored), std::wstring_view(*program));
    } catch (...) {
        return false;
    }
}

void toggle_autostart() noexcept {
    const bool enabled = autostart_enabled();
    HKEY raw = nullptr;
    // Created when missing (a fresh profile may lack it), so the switch never silently does nothing.
    if (RegCreateKeyExW(HKEY_CURRENT_USER, RUN_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw, nullptr) !=
        ERROR_SUCCESS) {
        return;
    }
    const RegistryKey key(raw);
    if (enabled) {
        RegDeleteValueW(key.get(), AUTOSTART_VALUE);
        return;
    }
    const auto program = program_path();
    if (!program) {
        return;
    }
    const auto bytes = static_cast<DWORD>((program->size() + 1) * sizeof(wchar_t));
    RegSetValueExW(key.get(), AUTOSTART_VALUE, 0, REG_SZ, reinterpret_cast<const BYTE*>(program->c_str()),
                   bytes);
}

bool system_prefers_dark() noexcept {
    const RegistryKey key = open_key(PERSONALIZE_KEY, KEY_READ);
    std::optional<std::uint32_t> light;
    if (key) {
        DWORD type = 0;
        DWORD value = 0;
        DWORD size = sizeof(value);
        if (RegQueryValueExW(key.get(), LIGHT_THEME_VALUE, nullptr, &type, reinterpret_cast<BYTE*>(&value),
                             &size) == ERROR_SUCCESS &&
            type == REG_DWORD && size == sizeof(value)) {
            light = value;
        }
    }
    return dark_from_light_theme_value(light);
}

bool refresh_system_theme(state::StateSlot& slot) noexcept {
    const bool dark = system_prefers_dark();
    try {
        const auto guard = slot.lock();
        return store_system_dark(guard.state(), dark);
    } catch (...) {
        return false;
    }
}

}  // namespace native_interop

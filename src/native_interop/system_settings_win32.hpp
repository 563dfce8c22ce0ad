#pragma once
// The two per-user system settings the program follows: its autostart entry under the Run key
// and the system's light or dark app theme.

#include <optional>
#include <string>

#include "state/app_state.hpp"

namespace native_interop {

inline constexpr wchar_t RUN_KEY[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t AUTOSTART_VALUE[] = L"Quotavane";
inline constexpr wchar_t PERSONALIZE_KEY[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
inline constexpr wchar_t LIGHT_THEME_VALUE[] = L"SystemUsesLightTheme";

// The running program's full path; nothing when it cannot be read.
[[nodiscard]] std::optional<std::wstring> program_path() noexcept;

// True when the Run value "Quotavane" holds this program's path (ASCII letter case aside).
[[nodiscard]] bool autostart_enabled() noexcept;

// Deletes our Run value when it is on, else writes this program's bare path. Failures are silent.
void toggle_autostart() noexcept;

// Dark unless "SystemUsesLightTheme" reads as 1.
[[nodiscard]] bool system_prefers_dark() noexcept;

// Reads the theme and stores it in the state; true when it changed and the caller must render.
[[nodiscard]] bool refresh_system_theme(state::StateSlot& slot = state::app_state()) noexcept;

}  // namespace native_interop

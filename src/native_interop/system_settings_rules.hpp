#pragma once
// The decisions behind the autostart entry and the system theme, apart from the registry calls.

#include <cstdint>
#include <optional>
#include <string_view>

#include "state/app_state.hpp"

namespace native_interop {

// A registry string as stored: its units without the trailing NULs.
template <typename Char>
[[nodiscard]] constexpr std::basic_string_view<Char> without_trailing_nuls(
    std::basic_string_view<Char> text) noexcept {
    while (!text.empty() && text.back() == Char{0}) {
        text.remove_suffix(1);
    }
    return text;
}

// Equal when they differ at most in the case of ASCII letters; every other unit must match.
template <typename Char>
[[nodiscard]] constexpr bool equal_ignoring_ascii_case(std::basic_string_view<Char> a,
                                                       std::basic_string_view<Char> b) noexcept {
    if (a.size() != b.size()) {
        return false;
    }
    const auto lower = [](Char c) {
        return c >= Char('A') && c <= Char('Z') ? Char(c - Char('A') + Char('a')) : c;
    };
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// The autostart entry is ours when it holds exactly this program's path, in any ASCII letter case:
// quotes, arguments or another copy's path read as off.
template <typename Char>
[[nodiscard]] constexpr bool autostart_entry_matches(std::basic_string_view<Char> stored,
                                                     std::basic_string_view<Char> program) noexcept {
    return !program.empty() && equal_ignoring_ascii_case(without_trailing_nuls(stored), program);
}

// "SystemUsesLightTheme": only a value of 1 that could be read means light.
[[nodiscard]] constexpr bool dark_from_light_theme_value(std::optional<std::uint32_t> value) noexcept {
    return !(value && *value == 1);
}

// Stores the theme read; true when it changed, so the panel must be drawn again. Nothing happens
// without a state.
[[nodiscard]] bool store_system_dark(state::AppState* state, bool dark) noexcept;

}  // namespace native_interop

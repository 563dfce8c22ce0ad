#pragma once
// How window handles and rectangles read in log lines.

#include <fmt/format.h>

#include <optional>
#include <string>

#include "state/rect.hpp"

namespace window {

// HWND(0x1a2b)
[[nodiscard]] inline std::string debug_hwnd(const void* hwnd) {
    return fmt::format("HWND(0x{:x})", reinterpret_cast<std::uintptr_t>(hwnd));
}

[[nodiscard]] inline std::string debug_rect(const std::optional<state::Rect>& r) {
    if (!r) {
        return "None";
    }
    return fmt::format("Some(RECT {{ left: {}, top: {}, right: {}, bottom: {} }})", r->left, r->top, r->right,
                       r->bottom);
}

}  // namespace window

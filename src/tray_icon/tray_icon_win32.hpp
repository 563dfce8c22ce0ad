#pragma once
// Drawing one notification-area icon from its spec.

#include <string>

#include "native_interop/gdi_owners_win32.hpp"
#include "tray_icon/tray_spec.hpp"

namespace tray_icon {

// The 64 × 64 gauge an icon spec describes: its bars over the dark track, or for a Codex account without
// usage a "C" in the provider colour; a Claude account without usage (and the placeholder) shows
// the program's own icon. No icon when drawing fails.
[[nodiscard]] native_interop::Icon make_tray_icon(const TrayIconSpec& spec) noexcept;

// The icon at index 0 of an executable or library file: the small one, else the large one.
[[nodiscard]] native_interop::Icon icon_from_file(const std::wstring& path) noexcept;

}  // namespace tray_icon

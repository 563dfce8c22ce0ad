#pragma once
// PNG files through the Windows Imaging Component (part of Windows; no library of our own).

#include <cstdint>
#include <filesystem>
#include <span>

namespace gallery {

// Writes width × height pixels (top-down rows, blue in the low byte, straight, not
// premultiplied, alpha in the high byte) as a PNG file. COM must be initialised on this thread.
[[nodiscard]] bool write_png(const std::filesystem::path& path, std::int32_t width, std::int32_t height,
                             std::span<const std::uint32_t> pixels) noexcept;

}  // namespace gallery

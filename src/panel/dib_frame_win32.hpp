#pragma once
// A memory DC with a 32-bpp top-down DIB section selected into it: GDI draws through the DC and
// the pixel passes work on the section's own bits.

#include <cstdint>
#include <memory>

#include "native_interop/gdi_owners_win32.hpp"
#include "panel/image.hpp"
#include "panel/repaint.hpp"

namespace panel {

class DibFrame {
  public:
    // Nothing when the DC or the section cannot be made (or the size is not positive).
    [[nodiscard]] static std::unique_ptr<DibFrame> create(std::int32_t width, std::int32_t height) noexcept;

    DibFrame(const DibFrame&) = delete;
    DibFrame& operator=(const DibFrame&) = delete;
    ~DibFrame() = default;

    [[nodiscard]] HDC dc() const noexcept { return dc_.get(); }
    [[nodiscard]] HBITMAP bitmap() const noexcept { return bitmap_.get(); }
    [[nodiscard]] std::int32_t width() const noexcept { return width_; }
    [[nodiscard]] std::int32_t height() const noexcept { return height_; }
    // The section's bits; flush GDI (GdiFlush) before reading what it drew.
    [[nodiscard]] ImageView pixels() const noexcept;
    // What the bits hold for the next panel frame drawn into them: nothing known at first.
    [[nodiscard]] KeptFrame& kept() noexcept { return kept_; }

  private:
    DibFrame(native_interop::MemoryDc dc, native_interop::Bitmap bitmap, void* bits, std::int32_t width,
             std::int32_t height) noexcept;

    // Declared in this order so the section is selected out before it and the DC are deleted.
    native_interop::MemoryDc dc_;
    native_interop::Bitmap bitmap_;
    native_interop::ScopedSelect selected_;
    std::uint32_t* bits_;
    std::int32_t width_;
    std::int32_t height_;
    KeptFrame kept_;
};

}  // namespace panel

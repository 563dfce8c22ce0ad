// The off-screen 32-bpp DIB section every panel frame and the pin measurement draw into.
#include "panel/dib_frame_win32.hpp"

namespace panel {

std::unique_ptr<DibFrame> DibFrame::create(std::int32_t width, std::int32_t height) noexcept {
    if (width <= 0 || height <= 0) {
        return nullptr;
    }
    native_interop::MemoryDc dc(CreateCompatibleDC(nullptr));
    if (!dc) {
        return nullptr;
    }
    void* bits = nullptr;
    native_interop::Bitmap bitmap = native_interop::top_down_dib_section(dc.get(), width, height, bits);
    if (!bitmap || bits == nullptr) {
        return nullptr;
    }
    return std::unique_ptr<DibFrame>(new (std::nothrow)
                                         DibFrame(std::move(dc), std::move(bitmap), bits, width, height));
}

DibFrame::DibFrame(native_interop::MemoryDc dc, native_interop::Bitmap bitmap, void* bits, std::int32_t width,
                   std::int32_t height) noexcept
    : dc_(std::move(dc)),
      bitmap_(std::move(bitmap)),
      selected_(dc_.get(), bitmap_.get()),
      bits_(static_cast<std::uint32_t*>(bits)),
      width_(width),
      height_(height) {}

ImageView DibFrame::pixels() const noexcept {
    return ImageView(width_, height_,
                     std::span<std::uint32_t>(
                         bits_, static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_)));
}

}  // namespace panel

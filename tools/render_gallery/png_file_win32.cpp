// PNG encoding with the Windows Imaging Component.
#include "png_file_win32.hpp"

#include "platform/windows_win32.hpp"
// After the Windows header, which it needs.
#include <wincodec.h>

namespace gallery {
namespace {

// Owns one reference to a COM interface.
template <typename T>
class Com {
  public:
    Com() = default;
    ~Com() {
        if (ptr_ != nullptr) {
            ptr_->Release();
        }
    }
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;

    [[nodiscard]] T* operator->() const noexcept { return ptr_; }
    [[nodiscard]] T* get() const noexcept { return ptr_; }
    [[nodiscard]] T** put() noexcept { return &ptr_; }
    [[nodiscard]] void** put_void() noexcept { return reinterpret_cast<void**>(&ptr_); }

  private:
    T* ptr_ = nullptr;
};

}  // namespace

bool write_png(const std::filesystem::path& path, std::int32_t width, std::int32_t height,
               std::span<const std::uint32_t> pixels) noexcept {
    if (width <= 0 || height <= 0 ||
        pixels.size() < static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
        return false;
    }
    Com<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, factory.put_void()))) {
        return false;
    }
    Com<IWICStream> stream;
    Com<IWICBitmapEncoder> encoder;
    Com<IWICBitmapFrameEncode> frame;
    Com<IPropertyBag2> options;
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    const UINT stride = static_cast<UINT>(width) * 4;
    const HRESULT result = [&]() -> HRESULT {
        HRESULT hr = factory->CreateStream(stream.put());
        if (SUCCEEDED(hr)) {
            hr = stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE);
        }
        if (SUCCEEDED(hr)) {
            hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.put());
        }
        if (SUCCEEDED(hr)) {
            hr = encoder->Initialize(stream.get(), WICBitmapEncoderNoCache);
        }
        if (SUCCEEDED(hr)) {
            hr = encoder->CreateNewFrame(frame.put(), options.put());
        }
        if (SUCCEEDED(hr)) {
            hr = frame->Initialize(options.get());
        }
        if (SUCCEEDED(hr)) {
            hr = frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height));
        }
        if (SUCCEEDED(hr)) {
            hr = frame->SetPixelFormat(&format);
        }
        if (SUCCEEDED(hr) && format != GUID_WICPixelFormat32bppBGRA) {
            hr = E_FAIL;  // the encoder would reinterpret our bytes
        }
        if (SUCCEEDED(hr)) {
            // WritePixels only reads the buffer, whatever its signature says.
            auto* bytes = reinterpret_cast<BYTE*>(const_cast<std::uint32_t*>(pixels.data()));
            hr = frame->WritePixels(static_cast<UINT>(height), stride, stride * static_cast<UINT>(height),
                                    bytes);
        }
        if (SUCCEEDED(hr)) {
            hr = frame->Commit();
        }
        if (SUCCEEDED(hr)) {
            hr = encoder->Commit();
        }
        return hr;
    }();
    return SUCCEEDED(result);
}

}  // namespace gallery

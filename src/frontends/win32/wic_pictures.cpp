// SPDX-License-Identifier: MIT
#include "frontends/win32/wic_pictures.h"

#include <wincodec.h>

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace kerbview::win32 {
namespace {

// Holds one COM reference and releases it.
template <class T>
class Com {
public:
    Com() = default;
    ~Com() {
        if (m_p != nullptr) m_p->Release();
    }
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
    T** Out() { return &m_p; }
    T* operator->() const { return m_p; }
    T* Get() const { return m_p; }
    T* Take() { return std::exchange(m_p, nullptr); }
    explicit operator bool() const { return m_p != nullptr; }

private:
    T* m_p = nullptr;
};

}  // namespace

Picture::Picture(IWICBitmap* bitmap) : m_bitmap(bitmap) {
    UINT w = 0;
    UINT h = 0;
    m_bitmap->GetSize(&w, &h);
    m_width = static_cast<int>(w);
    m_height = static_cast<int>(h);
    // Whether any pixel lets the panel show through.
    Com<IWICBitmapLock> lock;
    const WICRect all{0, 0, m_width, m_height};
    if (SUCCEEDED(m_bitmap->Lock(&all, WICBitmapLockRead, lock.Out()))) {
        UINT size = 0;
        BYTE* data = nullptr;
        UINT stride = 0;
        if (SUCCEEDED(lock->GetDataPointer(&size, &data)) && SUCCEEDED(lock->GetStride(&stride))) {
            for (int y = 0; y < m_height && m_opaque; ++y) {
                const BYTE* row = data + static_cast<std::size_t>(y) * stride;
                for (int x = 0; x < m_width; ++x) {
                    if (row[x * 4 + 3] != 0xFF) {
                        m_opaque = false;
                        break;
                    }
                }
            }
        }
    }
}

Picture::~Picture() { m_bitmap->Release(); }

Dib::Dib(int w, int h) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap != nullptr) {
        width = w;
        height = h;
    }
}

Dib::~Dib() {
    if (bitmap != nullptr) ::DeleteObject(bitmap);
}

Dib::Dib(Dib&& other) noexcept
    : bitmap(std::exchange(other.bitmap, nullptr)),
      bits(std::exchange(other.bits, nullptr)),
      width(std::exchange(other.width, 0)),
      height(std::exchange(other.height, 0)) {}

Dib& Dib::operator=(Dib&& other) noexcept {
    if (this != &other) {
        if (bitmap != nullptr) ::DeleteObject(bitmap);
        bitmap = std::exchange(other.bitmap, nullptr);
        bits = std::exchange(other.bits, nullptr);
        width = std::exchange(other.width, 0);
        height = std::exchange(other.height, 0);
    }
    return *this;
}

WicPictures::WicPictures() {
    ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                       IID_PPV_ARGS(&m_factory));
}

WicPictures::~WicPictures() {
    if (m_factory != nullptr) m_factory->Release();
}

std::shared_ptr<Picture> WicPictures::Decode(const std::filesystem::path& file) const {
    if (m_factory == nullptr) return nullptr;
    Com<IWICBitmapDecoder> decoder;
    if (FAILED(m_factory->CreateDecoderFromFilename(
            file.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand, decoder.Out()))) {
        return nullptr;
    }
    Com<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, frame.Out()))) return nullptr;
    Com<IWICFormatConverter> converter;
    if (FAILED(m_factory->CreateFormatConverter(converter.Out())) ||
        FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppPBGRA,
                                     WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom))) {
        return nullptr;
    }
    // Decoded in full here, so that a truncated file fails now rather than when drawn.
    Com<IWICBitmap> bitmap;
    if (FAILED(m_factory->CreateBitmapFromSource(converter.Get(), WICBitmapCacheOnLoad,
                                                 bitmap.Out()))) {
        return nullptr;
    }
    UINT w = 0;
    UINT h = 0;
    if (FAILED(bitmap->GetSize(&w, &h)) || w == 0 || h == 0) return nullptr;
    return std::make_shared<Picture>(bitmap.Take());
}

Dib WicPictures::Scaled(const Picture& picture, int width, int height) const {
    if (m_factory == nullptr || width < 1 || height < 1) return {};
    Com<IWICBitmapScaler> scaler;
    if (FAILED(m_factory->CreateBitmapScaler(scaler.Out())) ||
        FAILED(scaler->Initialize(picture.Bitmap(), static_cast<UINT>(width),
                                  static_cast<UINT>(height), WICBitmapInterpolationModeFant))) {
        return {};
    }
    Dib dib(width, height);
    if (!dib) return {};
    const UINT stride = static_cast<UINT>(width) * 4;
    if (FAILED(scaler->CopyPixels(nullptr, stride, stride * static_cast<UINT>(height),
                                  static_cast<BYTE*>(dib.bits)))) {
        return {};
    }
    return dib;
}

bool WicPictures::SavePng(const Dib& dib, const std::filesystem::path& file) const {
    if (m_factory == nullptr || !dib) return false;
    ::GdiFlush();
    const UINT stride = static_cast<UINT>(dib.width) * 4;
    Com<IWICBitmap> source;
    if (FAILED(m_factory->CreateBitmapFromMemory(
            static_cast<UINT>(dib.width), static_cast<UINT>(dib.height),
            GUID_WICPixelFormat32bppBGR, stride, stride * static_cast<UINT>(dib.height),
            static_cast<BYTE*>(dib.bits), source.Out()))) {
        return false;
    }
    Com<IWICStream> stream;
    Com<IWICBitmapEncoder> encoder;
    Com<IWICBitmapFrameEncode> frame;
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    const bool written =
        SUCCEEDED(m_factory->CreateStream(stream.Out())) &&
        SUCCEEDED(stream->InitializeFromFilename(file.c_str(), GENERIC_WRITE)) &&
        SUCCEEDED(m_factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Out())) &&
        SUCCEEDED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) &&
        SUCCEEDED(encoder->CreateNewFrame(frame.Out(), nullptr)) &&
        SUCCEEDED(frame->Initialize(nullptr)) &&
        SUCCEEDED(frame->SetSize(static_cast<UINT>(dib.width), static_cast<UINT>(dib.height))) &&
        SUCCEEDED(frame->SetPixelFormat(&format)) &&
        SUCCEEDED(frame->WriteSource(source.Get(), nullptr)) && SUCCEEDED(frame->Commit()) &&
        SUCCEEDED(encoder->Commit());
    return written;
}

}  // namespace kerbview::win32

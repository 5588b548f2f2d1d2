// SPDX-License-Identifier: MIT
#include "frontends/win32/wic_pictures.h"

#include <objbase.h>
#include <wincodec.h>

#include <algorithm>
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
    return Load(file, 0, 0);
}

std::shared_ptr<Picture> WicPictures::DecodeWithin(const std::filesystem::path& file, int maxWidth,
                                                   int maxHeight) const {
    if (maxWidth < 1 || maxHeight < 1) return nullptr;
    return Load(file, maxWidth, maxHeight);
}

std::shared_ptr<Picture> WicPictures::Load(const std::filesystem::path& file, int maxWidth,
                                           int maxHeight) const {
    if (m_factory == nullptr) return nullptr;
    Com<IWICBitmapDecoder> decoder;
    if (FAILED(m_factory->CreateDecoderFromFilename(
            file.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand, decoder.Out()))) {
        return nullptr;
    }
    Com<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, frame.Out()))) return nullptr;
    UINT w = 0;
    UINT h = 0;
    if (FAILED(frame->GetSize(&w, &h)) || w == 0 || h == 0) return nullptr;
    IWICBitmapSource* source = frame.Get();
    // A scaler placed right after the decoder has the codec scale as it decodes (a JPEG decoder
    // by 1/2, 1/4 or 1/8) before it scales the rest of the way.
    Com<IWICBitmapScaler> scaler;
    if (maxWidth > 0 && (w > static_cast<UINT>(maxWidth) || h > static_cast<UINT>(maxHeight))) {
        const auto mw = static_cast<std::uint64_t>(maxWidth);
        const auto mh = static_cast<std::uint64_t>(maxHeight);
        std::uint64_t sw = mh * w / h;
        std::uint64_t sh = mh;
        if (sw > mw) {
            sw = mw;
            sh = mw * h / w;
        }
        if (FAILED(m_factory->CreateBitmapScaler(scaler.Out())) ||
            FAILED(scaler->Initialize(frame.Get(),
                                      static_cast<UINT>(std::max<std::uint64_t>(1, sw)),
                                      static_cast<UINT>(std::max<std::uint64_t>(1, sh)),
                                      WICBitmapInterpolationModeFant))) {
            return nullptr;
        }
        source = scaler.Get();
    }
    Com<IWICFormatConverter> converter;
    if (FAILED(m_factory->CreateFormatConverter(converter.Out())) ||
        FAILED(converter->Initialize(source, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone,
                                     nullptr, 0.0, WICBitmapPaletteTypeCustom))) {
        return nullptr;
    }
    // Decoded in full here, so that a truncated file fails now rather than when drawn.
    Com<IWICBitmap> bitmap;
    if (FAILED(m_factory->CreateBitmapFromSource(converter.Get(), WICBitmapCacheOnLoad,
                                                 bitmap.Out()))) {
        return nullptr;
    }
    if (FAILED(bitmap->GetSize(&w, &h)) || w == 0 || h == 0) return nullptr;
    return std::make_shared<Picture>(bitmap.Take());
}

std::shared_ptr<Picture> WicPictures::FromDib(const Dib& dib) const {
    if (m_factory == nullptr || !dib) return nullptr;
    ::GdiFlush();
    const UINT stride = static_cast<UINT>(dib.width) * 4;
    Com<IWICBitmap> bitmap;
    if (FAILED(m_factory->CreateBitmapFromMemory(
            static_cast<UINT>(dib.width), static_cast<UINT>(dib.height),
            GUID_WICPixelFormat32bppPBGRA, stride, stride * static_cast<UINT>(dib.height),
            static_cast<BYTE*>(dib.bits), bitmap.Out()))) {
        return nullptr;
    }
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
    Com<IWICStream> stream;
    return SUCCEEDED(m_factory->CreateBitmapFromMemory(
               static_cast<UINT>(dib.width), static_cast<UINT>(dib.height),
               GUID_WICPixelFormat32bppBGR, stride, stride * static_cast<UINT>(dib.height),
               static_cast<BYTE*>(dib.bits), source.Out())) &&
           SUCCEEDED(m_factory->CreateStream(stream.Out())) &&
           SUCCEEDED(stream->InitializeFromFilename(file.c_str(), GENERIC_WRITE)) &&
           Encode(source.Get(), dib.width, dib.height, stream.Get(), GUID_ContainerFormatPng,
                  GUID_WICPixelFormat24bppBGR, -1);
}

std::string WicPictures::EncodePng(const Picture& picture) const {
    // PNG holds straight, not premultiplied, alpha.
    return EncodeToBytes(picture, GUID_ContainerFormatPng, GUID_WICPixelFormat32bppBGRA, -1);
}

std::string WicPictures::EncodeJpeg(const Picture& picture, float quality) const {
    return EncodeToBytes(picture, GUID_ContainerFormatJpeg, GUID_WICPixelFormat24bppBGR, quality);
}

std::string WicPictures::EncodeToBytes(const Picture& picture, const GUID& container,
                                       const GUID& format, float quality) const {
    Com<IStream> stream;
    if (FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, stream.Out())) ||
        !Encode(picture.Bitmap(), picture.Width(), picture.Height(), stream.Get(), container,
                format, quality)) {
        return {};
    }
    STATSTG stat{};
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || stat.cbSize.QuadPart > 0x7FFFFFFF) {
        return {};
    }
    std::string bytes(static_cast<std::size_t>(stat.cbSize.QuadPart), '\0');
    ULONG read = 0;
    if (FAILED(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr)) ||
        FAILED(stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read)) ||
        read != bytes.size()) {
        return {};
    }
    return bytes;
}

bool WicPictures::Encode(IWICBitmapSource* source, int width, int height, IStream* stream,
                         const GUID& container, GUID format, float quality) const {
    Com<IWICBitmapEncoder> encoder;
    Com<IWICBitmapFrameEncode> frame;
    Com<IPropertyBag2> options;
    if (m_factory == nullptr ||
        FAILED(m_factory->CreateEncoder(container, nullptr, encoder.Out())) ||
        FAILED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) ||
        FAILED(encoder->CreateNewFrame(frame.Out(), options.Out()))) {
        return false;
    }
    if (quality >= 0 && options) {
        PROPBAG2 option{};
        option.pstrName = const_cast<LPOLESTR>(L"ImageQuality");
        VARIANT value{};
        V_VT(&value) = VT_R4;
        V_R4(&value) = quality;
        if (FAILED(options->Write(1, &option, &value))) return false;
    }
    // The encoder may take another format than the one asked for: the pixels are converted to
    // the one it takes.
    Com<IWICFormatConverter> converter;
    return SUCCEEDED(frame->Initialize(options.Get())) &&
           SUCCEEDED(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height))) &&
           SUCCEEDED(frame->SetPixelFormat(&format)) &&
           SUCCEEDED(m_factory->CreateFormatConverter(converter.Out())) &&
           SUCCEEDED(converter->Initialize(source, format, WICBitmapDitherTypeNone, nullptr, 0.0,
                                           WICBitmapPaletteTypeCustom)) &&
           SUCCEEDED(frame->WriteSource(converter.Get(), nullptr)) && SUCCEEDED(frame->Commit()) &&
           SUCCEEDED(encoder->Commit());
}

}  // namespace kerbview::win32

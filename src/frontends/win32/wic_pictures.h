// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

#include <filesystem>
#include <memory>
#include <string>

struct IWICImagingFactory;
struct IWICBitmap;
struct IWICBitmapSource;
struct IStream;

namespace kerbview::win32 {

/// A decoded picture: its first frame as 32-bit premultiplied BGRA, held by WIC.
class Picture {
public:
    explicit Picture(IWICBitmap* bitmap);
    ~Picture();
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    /// True when every pixel is fully opaque (a photograph): it can be drawn without blending.
    bool Opaque() const { return m_opaque; }
    IWICBitmap* Bitmap() const { return m_bitmap; }

private:
    IWICBitmap* m_bitmap;
    int m_width = 0;
    int m_height = 0;
    bool m_opaque = true;
};

/// A 32-bit top-down DIB section, its pixels premultiplied BGRA; owns the bitmap.
struct Dib {
    HBITMAP bitmap = nullptr;
    void* bits = nullptr;
    int width = 0;
    int height = 0;

    Dib() = default;
    Dib(int w, int h);
    ~Dib();
    Dib(Dib&& other) noexcept;
    Dib& operator=(Dib&& other) noexcept;
    explicit operator bool() const { return bitmap != nullptr; }
};

/// Picture files through the Windows Imaging Component: GIF, JPEG, PNG, BMP and whatever codecs
/// the system has. COM must be initialised on the calling thread (main does it).
class WicPictures {
public:
    WicPictures();
    ~WicPictures();
    WicPictures(const WicPictures&) = delete;
    WicPictures& operator=(const WicPictures&) = delete;

    /// The first frame of the picture in file; null when the file is missing, empty, truncated
    /// or not a picture. Never shows a message.
    std::shared_ptr<Picture> Decode(const std::filesystem::path& file) const;
    /// The same, made smaller as it is decoded when it is larger than maxWidth x maxHeight: the
    /// largest size within them with its proportions kept. A JPEG decoder scales while it
    /// decodes, so a huge photograph is never held whole.
    std::shared_ptr<Picture> DecodeWithin(const std::filesystem::path& file, int maxWidth,
                                          int maxHeight) const;
    /// A copy of the pixels of a 32-bit premultiplied DIB section as a picture; null when WIC
    /// fails.
    std::shared_ptr<Picture> FromDib(const Dib& dib) const;
    /// The picture stretched to width x height pixels (smoothly), as a DIB section; empty when
    /// either side is below 1 or WIC fails.
    Dib Scaled(const Picture& picture, int width, int height) const;
    /// Saves the pixels of a 32-bit top-down DIB section as a PNG file (opaque); false when it
    /// could not be written.
    bool SavePng(const Dib& dib, const std::filesystem::path& file) const;
    /// The picture as the bytes of a PNG file, its transparency kept; empty when WIC fails.
    std::string EncodePng(const Picture& picture) const;
    /// The picture as the bytes of a JPEG file (opaque) of quality 0 to 1; empty when WIC fails.
    std::string EncodeJpeg(const Picture& picture, float quality) const;

private:
    std::shared_ptr<Picture> Load(const std::filesystem::path& file, int maxWidth,
                                  int maxHeight) const;
    /// Encodes source (width x height) into stream as container, converted to format or to the
    /// encoder's nearest; quality is set when not negative.
    bool Encode(IWICBitmapSource* source, int width, int height, IStream* stream,
                const GUID& container, GUID format, float quality) const;
    std::string EncodeToBytes(const Picture& picture, const GUID& container, const GUID& format,
                              float quality) const;

    IWICImagingFactory* m_factory = nullptr;
};

}  // namespace kerbview::win32

#pragma once
// A decoded picture as the module keeps it behind an image handle. Pixels are
// held in one of three layouts whatever the source was; the pixel format
// reported to callers is the source's.
//
// Once registered with the library an image's picture is never changed, so
// several threads may read it at once. An image decoded straight into handle
// pixels (PixelLayout::Bgrx32) hands its buffer to the first handle made from
// it and decodes its kept source again for any later one.

#include "GdiplusFlat.h"
#include "StreamReader.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace kamsel::gdiplus {

// Pictures beyond these are refused before any pixel memory is taken: a
// damaged or hostile header must not make the module allocate gigabytes.
constexpr std::uint32_t kMaxImageDimension = 16384;
constexpr std::uint64_t kMaxImagePixels = std::uint64_t{1} << 26; // 64 Mi pixels, 256 MiB as 32-bit

enum class PixelLayout {
    Indexed8, // one palette index per byte
    Bgr24,    // blue, green, red; opaque
    Bgra32,   // blue, green, red, alpha; not premultiplied
    Bgrx32,   // blue, green, red, 255: opaque, already as a handle holds it
};

// Ok when a picture of width x height may be decoded, ValueOverflow when it is
// too large, UnknownImageFormat for an empty one.
Status CheckImageSize(std::uint64_t width, std::uint64_t height);

class DecodedImage : public GpBitmap {
  public:
    // Takes pixel memory for width x height in layout, not cleared: a decoder
    // writes every row before the image is handed out. Statuses as
    // CheckImageSize, and OutOfMemory.
    Status Allocate(std::uint32_t width, std::uint32_t height, PixelLayout layout);

    int Width() const { return static_cast<int>(width_); }
    int Height() const { return static_cast<int>(height_); }
    PixelLayout Layout() const { return layout_; }
    std::size_t Stride() const { return stride_; }
    std::uint8_t* Row(std::uint32_t y) { return pixels_.get() + y * stride_; }
    const std::uint8_t* Row(std::uint32_t y) const { return pixels_.get() + y * stride_; }

    // For PixelLayout::Bgrx32: the stream the picture was decoded from, kept
    // to decode it again once the pixels have been taken.
    void KeepSource(StreamBytes source) { source_ = std::move(source); }
    const StreamBytes& Source() const { return source_; }
    // The pixel buffer for the first caller only (stride Stride()); null for
    // every later one, who must not read the rows either.
    std::unique_ptr<std::uint8_t[]> TakePixels() const;

    PixelFormat Format() const { return format_; }
    void SetFormat(PixelFormat format) { format_ = format; }

    // At most 256 entries are kept. Indices past the palette read as opaque
    // black, so no pixel value can reach outside it.
    void SetPalette(std::vector<ARGB> entries, UINT flags);
    void SetGrayPalette();
    const std::vector<ARGB>& Palette() const { return palette_; }
    UINT PaletteFlags() const { return paletteFlags_; }
    ARGB PaletteEntry(std::uint8_t index) const;

  private:
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    std::size_t stride_ = 0;
    PixelLayout layout_ = PixelLayout::Bgr24;
    PixelFormat format_ = PixelFormatUndefined;
    std::vector<ARGB> palette_;
    UINT paletteFlags_ = 0;
    StreamBytes source_;
    mutable std::atomic<bool> pixelsTaken_{false};
    mutable std::unique_ptr<std::uint8_t[]> pixels_;
};

} // namespace kamsel::gdiplus

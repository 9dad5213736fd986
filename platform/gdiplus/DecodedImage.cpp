#include "DecodedImage.h"

#include <new>
#include <utility>

namespace kamsel::gdiplus {

namespace {

constexpr std::size_t kMaxPaletteEntries = 256;
constexpr ARGB kOpaqueBlack = 0xFF000000u;

std::size_t BytesPerPixel(PixelLayout layout) {
    switch (layout) {
    case PixelLayout::Indexed8:
        return 1;
    case PixelLayout::Bgr24:
        return 3;
    case PixelLayout::Bgra32:
    case PixelLayout::Bgrx32:
        return 4;
    }
    return 4;
}

} // namespace

Status CheckImageSize(std::uint64_t width, std::uint64_t height) {
    if (width == 0 || height == 0)
        return UnknownImageFormat;
    if (width > kMaxImageDimension || height > kMaxImageDimension || width * height > kMaxImagePixels)
        return ValueOverflow;
    return Ok;
}

Status DecodedImage::Allocate(std::uint32_t width, std::uint32_t height, PixelLayout layout) {
    if (const Status status = CheckImageSize(width, height); status != Ok)
        return status;
    const std::size_t stride = width * BytesPerPixel(layout);
    std::unique_ptr<std::uint8_t[]> pixels(new (std::nothrow) std::uint8_t[stride * height]);
    if (!pixels)
        return OutOfMemory;
    width_ = width;
    height_ = height;
    stride_ = stride;
    layout_ = layout;
    pixels_ = std::move(pixels);
    pixelsTaken_.store(false);
    return Ok;
}

void DecodedImage::SetPalette(std::vector<ARGB> entries, UINT flags) {
    if (entries.size() > kMaxPaletteEntries)
        entries.resize(kMaxPaletteEntries);
    palette_ = std::move(entries);
    paletteFlags_ = flags;
}

void DecodedImage::SetGrayPalette() {
    std::vector<ARGB> entries(kMaxPaletteEntries);
    for (std::size_t i = 0; i < entries.size(); ++i)
        entries[i] = kOpaqueBlack | static_cast<ARGB>(i * 0x010101u);
    SetPalette(std::move(entries), PaletteFlagsGrayScale);
}

std::unique_ptr<std::uint8_t[]> DecodedImage::TakePixels() const {
    if (pixelsTaken_.exchange(true))
        return nullptr;
    return std::move(pixels_);
}

ARGB DecodedImage::PaletteEntry(std::uint8_t index) const {
    return index < palette_.size() ? palette_[index] : kOpaqueBlack;
}

} // namespace kamsel::gdiplus

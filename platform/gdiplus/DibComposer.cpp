#include "DibComposer.h"

#include "ImageDecoder.h"

#include "platform/media/PixelKernels.h"

#include <array>
#include <cstring>
#include <new>

namespace kamsel::gdiplus {

namespace {

constexpr unsigned Div255(unsigned value) {
    return (value + 127) / 255;
}

// One pixel as it lands in the handle: blue, green, red, alpha, premultiplied.
class Compositor {
  public:
    explicit Compositor(ARGB background)
        : backgroundAlpha_(background >> 24), background_{
                                                  Div255((background & 0xFF) * backgroundAlpha_),
                                                  Div255((background >> 8 & 0xFF) * backgroundAlpha_),
                                                  Div255((background >> 16 & 0xFF) * backgroundAlpha_)} {}

    void Put(std::uint8_t* out, unsigned blue, unsigned green, unsigned red, unsigned alpha) const {
        if (alpha == 255) {
            out[0] = static_cast<std::uint8_t>(blue);
            out[1] = static_cast<std::uint8_t>(green);
            out[2] = static_cast<std::uint8_t>(red);
            out[3] = 255;
            return;
        }
        const unsigned rest = 255 - alpha;
        out[0] = static_cast<std::uint8_t>(Div255(blue * alpha + background_[0] * rest));
        out[1] = static_cast<std::uint8_t>(Div255(green * alpha + background_[1] * rest));
        out[2] = static_cast<std::uint8_t>(Div255(red * alpha + background_[2] * rest));
        out[3] = static_cast<std::uint8_t>(alpha + Div255(backgroundAlpha_ * rest));
    }

  private:
    unsigned backgroundAlpha_;
    unsigned background_[3]; // blue, green, red, premultiplied
};

void ComposeIndexed(const DecodedImage& image, const Compositor& compositor, GdiBitmap& dib) {
    std::array<std::uint8_t[4], 256> table;
    for (unsigned i = 0; i < table.size(); ++i) {
        const ARGB entry = image.PaletteEntry(static_cast<std::uint8_t>(i));
        compositor.Put(table[i], entry & 0xFF, entry >> 8 & 0xFF, entry >> 16 & 0xFF, entry >> 24);
    }
    for (int y = 0; y < image.Height(); ++y) {
        const std::uint8_t* in = image.Row(static_cast<std::uint32_t>(y));
        std::uint8_t* out =
            dib.bmBits + static_cast<std::size_t>(y) * static_cast<std::size_t>(dib.bmWidthBytes);
        for (int x = 0; x < image.Width(); ++x, out += 4)
            std::memcpy(out, table[in[x]], 4);
    }
}

// Opaque pixels need no compositing, whatever the background.
void ComposeOpaque(const DecodedImage& image, GdiBitmap& dib) {
    const auto expand = media::PixelKernels::Best().ExpandToOpaqueBgra;
    for (int y = 0; y < image.Height(); ++y)
        expand(image.Row(static_cast<std::uint32_t>(y)),
               dib.bmBits + static_cast<std::size_t>(y) * static_cast<std::size_t>(dib.bmWidthBytes),
               image.Width());
}

void ComposeWithAlpha(const DecodedImage& image, const Compositor& compositor, GdiBitmap& dib) {
    for (int y = 0; y < image.Height(); ++y) {
        const std::uint8_t* in = image.Row(static_cast<std::uint32_t>(y));
        std::uint8_t* out =
            dib.bmBits + static_cast<std::size_t>(y) * static_cast<std::size_t>(dib.bmWidthBytes);
        for (int x = 0; x < image.Width(); ++x, in += 4, out += 4)
            compositor.Put(out, in[0], in[1], in[2], in[3]);
    }
}

void ReleaseDib(GdiBitmap* bitmap) {
    if (!bitmap)
        return;
    delete[] bitmap->bmBits;
    delete bitmap;
}

// The pixels of an image decoded straight into handle layout: its own buffer
// for the first handle, a fresh decode of its kept source for later ones (the
// first handle's owner may have written into the buffer by then).
Status HandlePixels(const DecodedImage& image, std::unique_ptr<std::uint8_t[]>& pixels) {
    pixels = image.TakePixels();
    if (pixels)
        return Ok;
    DecodedImage again;
    const StreamBytes& source = image.Source();
    if (const Status status = DecodeImage(source.data(), source.size(), again); status != Ok)
        return status;
    if (again.Layout() != PixelLayout::Bgrx32 || again.Width() != image.Width() ||
        again.Height() != image.Height())
        return GenericError;
    pixels = again.TakePixels();
    return Ok;
}

} // namespace

Status ComposeDib(const DecodedImage& image, ARGB background, HBITMAP* result) {
    const std::size_t stride = static_cast<std::size_t>(image.Width()) * 4;
    std::unique_ptr<std::uint8_t[]> pixels;
    if (image.Layout() == PixelLayout::Bgrx32) {
        if (const Status status = HandlePixels(image, pixels); status != Ok)
            return status;
    } else {
        pixels.reset(new (std::nothrow) std::uint8_t[stride * static_cast<std::size_t>(image.Height())]);
        if (!pixels)
            return OutOfMemory;
    }
    auto* dib = new (std::nothrow)
        GdiBitmap{image.Width(), image.Height(), 32, static_cast<std::int32_t>(stride), nullptr, &ReleaseDib};
    if (!dib)
        return OutOfMemory;
    dib->bmBits = pixels.release();
    const Compositor compositor(background);
    switch (image.Layout()) {
    case PixelLayout::Indexed8:
        ComposeIndexed(image, compositor, *dib);
        break;
    case PixelLayout::Bgr24:
        ComposeOpaque(image, *dib);
        break;
    case PixelLayout::Bgra32:
        ComposeWithAlpha(image, compositor, *dib);
        break;
    case PixelLayout::Bgrx32: // opaque, already in place whatever the background
        break;
    }
    *result = dib;
    return Ok;
}

} // namespace kamsel::gdiplus

#include "BmpDecoder.h"

#include <bit>
#include <vector>

namespace kamsel::gdiplus {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kMaxInfoHeaderSize = 124; // BITMAPV5HEADER
constexpr std::uint32_t kCompressionRgb = 0;
constexpr std::uint32_t kCompressionBitFields = 3;

std::uint16_t U16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
std::uint32_t U32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

// One colour channel of a bit-field pixel, scaled to 8 bits.
class Channel {
  public:
    Channel() = default;
    explicit Channel(std::uint32_t mask)
        : mask_(mask), shift_(mask ? std::countr_zero(mask) : 0), bits_(std::popcount(mask)) {}
    bool Present() const { return bits_ > 0; }
    std::uint8_t Extract(std::uint32_t pixel) const {
        if (bits_ == 0)
            return 0;
        const std::uint32_t value = (pixel & mask_) >> shift_;
        if (bits_ >= 8)
            return static_cast<std::uint8_t>(value >> (bits_ - 8));
        const std::uint32_t maximum = (std::uint32_t{1} << bits_) - 1;
        return static_cast<std::uint8_t>((value * 255 + maximum / 2) / maximum);
    }

  private:
    std::uint32_t mask_ = 0;
    int shift_ = 0;
    int bits_ = 0;
};

struct BmpHeader {
    std::uint32_t headerSize = 0;
    std::int64_t width = 0;
    std::int64_t height = 0; // negative: rows top-down
    int bitCount = 0;
    std::uint32_t compression = kCompressionRgb;
    std::uint32_t coloursUsed = 0;
    std::uint32_t masks[4] = {}; // red, green, blue, alpha
    std::size_t paletteOffset = 0;
    std::size_t paletteEntrySize = 4;
    std::size_t pixelOffset = 0;
};

class BmpReader {
  public:
    BmpReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    Status Decode(DecodedImage& image) {
        if (const Status status = ReadHeader(); status != Ok)
            return status;
        const std::uint64_t width = static_cast<std::uint64_t>(header_.width);
        const std::uint64_t height =
            static_cast<std::uint64_t>(header_.height < 0 ? -header_.height : header_.height);
        if (const Status status = CheckImageSize(width, height); status != Ok)
            return status;
        stride_ = ((width * static_cast<std::uint64_t>(header_.bitCount) + 31) / 32) * 4;
        if (header_.pixelOffset > size_ || (size_ - header_.pixelOffset) / stride_ < height)
            return GenericError;
        if (header_.bitCount <= 8)
            return DecodeIndexed(image, static_cast<std::uint32_t>(width),
                                 static_cast<std::uint32_t>(height));
        return DecodeTrueColour(image, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height));
    }

  private:
    Status ReadHeader() {
        if (size_ < kFileHeaderSize + 4)
            return GenericError;
        header_.pixelOffset = U32(data_ + 10);
        header_.headerSize = U32(data_ + kFileHeaderSize);
        const std::uint8_t* info = data_ + kFileHeaderSize;
        if (header_.headerSize == kCoreHeaderSize) {
            if (size_ < kFileHeaderSize + kCoreHeaderSize)
                return GenericError;
            header_.width = U16(info + 4);
            header_.height = U16(info + 6);
            header_.bitCount = U16(info + 10);
            header_.paletteEntrySize = 3;
        } else if (header_.headerSize >= kInfoHeaderSize && header_.headerSize <= kMaxInfoHeaderSize) {
            if (size_ < kFileHeaderSize + header_.headerSize)
                return GenericError;
            header_.width = static_cast<std::int32_t>(U32(info + 4));
            header_.height = static_cast<std::int32_t>(U32(info + 8));
            header_.bitCount = U16(info + 14);
            header_.compression = U32(info + 16);
            header_.coloursUsed = U32(info + 32);
        } else {
            return UnknownImageFormat;
        }
        header_.paletteOffset = kFileHeaderSize + header_.headerSize;
        if (header_.width <= 0 || header_.height == 0)
            return GenericError;
        return ReadMasks();
    }

    // Masks live in the header from version 2 on; a version 1 header with
    // bit fields is followed by three of them.
    Status ReadMasks() {
        const int bits = header_.bitCount;
        if (header_.compression == kCompressionRgb) {
            if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
                return UnknownImageFormat;
            if (bits == 16)
                SetMasks(0x7C00, 0x03E0, 0x001F, 0);
            else
                SetMasks(0xFF0000, 0x00FF00, 0x0000FF, 0);
            return Ok;
        }
        if (header_.compression != kCompressionBitFields || (bits != 16 && bits != 32))
            return UnknownImageFormat;
        const std::uint8_t* masks = data_ + kFileHeaderSize + kInfoHeaderSize;
        if (header_.headerSize == kInfoHeaderSize) {
            if (size_ < header_.paletteOffset + 12)
                return GenericError;
            header_.paletteOffset += 12;
            SetMasks(U32(masks), U32(masks + 4), U32(masks + 8), 0);
        } else {
            const bool hasAlpha = header_.headerSize >= kInfoHeaderSize + 16;
            if (size_ < kFileHeaderSize + kInfoHeaderSize + (hasAlpha ? 16 : 12))
                return GenericError;
            SetMasks(U32(masks), U32(masks + 4), U32(masks + 8), hasAlpha ? U32(masks + 12) : 0);
        }
        return Ok;
    }

    void SetMasks(std::uint32_t red, std::uint32_t green, std::uint32_t blue, std::uint32_t alpha) {
        header_.masks[0] = red;
        header_.masks[1] = green;
        header_.masks[2] = blue;
        header_.masks[3] = alpha;
    }

    Status ReadPalette(std::vector<ARGB>& entries) const {
        const std::uint32_t maximum = std::uint32_t{1} << header_.bitCount;
        std::uint32_t count = header_.coloursUsed == 0 ? maximum : header_.coloursUsed;
        if (count > maximum)
            count = maximum;
        const std::size_t bytes = count * header_.paletteEntrySize;
        if (header_.paletteOffset > size_ || size_ - header_.paletteOffset < bytes)
            return GenericError;
        entries.resize(count);
        const std::uint8_t* entry = data_ + header_.paletteOffset;
        for (auto& argb : entries) {
            argb = 0xFF000000u | ARGB{entry[2]} << 16 | ARGB{entry[1]} << 8 | entry[0];
            entry += header_.paletteEntrySize;
        }
        return Ok;
    }

    const std::uint8_t* SourceRow(std::uint32_t y, std::uint32_t height) const {
        const std::uint32_t fileRow = header_.height < 0 ? y : height - 1 - y;
        return data_ + header_.pixelOffset + fileRow * stride_;
    }

    Status DecodeIndexed(DecodedImage& image, std::uint32_t width, std::uint32_t height) {
        std::vector<ARGB> palette;
        if (const Status status = ReadPalette(palette); status != Ok)
            return status;
        if (const Status status = image.Allocate(width, height, PixelLayout::Indexed8); status != Ok)
            return status;
        const int bits = header_.bitCount;
        const unsigned valueMask = (1u << bits) - 1;
        for (std::uint32_t y = 0; y < height; ++y) {
            const std::uint8_t* in = SourceRow(y, height);
            std::uint8_t* out = image.Row(y);
            for (std::uint32_t x = 0; x < width; ++x) {
                const std::uint64_t bit = std::uint64_t{x} * static_cast<unsigned>(bits);
                const unsigned shift = 8 - static_cast<unsigned>(bits) - static_cast<unsigned>(bit % 8);
                out[x] = static_cast<std::uint8_t>((in[bit / 8] >> shift) & valueMask);
            }
        }
        image.SetPalette(std::move(palette), 0);
        image.SetFormat(bits == 1   ? PixelFormat1bppIndexed
                        : bits == 4 ? PixelFormat4bppIndexed
                                    : PixelFormat8bppIndexed);
        return Ok;
    }

    Status DecodeTrueColour(DecodedImage& image, std::uint32_t width, std::uint32_t height) {
        const int bits = header_.bitCount;
        const bool alpha = bits == 32 && header_.masks[3] != 0;
        const PixelLayout layout = alpha ? PixelLayout::Bgra32 : PixelLayout::Bgr24;
        if (const Status status = image.Allocate(width, height, layout); status != Ok)
            return status;
        const Channel red(header_.masks[0]), green(header_.masks[1]), blue(header_.masks[2]),
            opacity(header_.masks[3]);
        const std::size_t bytesIn = static_cast<std::size_t>(bits / 8);
        const std::size_t bytesOut = alpha ? 4 : 3;
        for (std::uint32_t y = 0; y < height; ++y) {
            const std::uint8_t* in = SourceRow(y, height);
            std::uint8_t* out = image.Row(y);
            for (std::uint32_t x = 0; x < width; ++x, in += bytesIn, out += bytesOut) {
                const std::uint32_t pixel =
                    bits == 16 ? U16(in)
                    : bits == 24
                        ? (std::uint32_t{in[0]} | std::uint32_t{in[1]} << 8 | std::uint32_t{in[2]} << 16)
                        : U32(in);
                out[0] = blue.Extract(pixel);
                out[1] = green.Extract(pixel);
                out[2] = red.Extract(pixel);
                if (alpha)
                    out[3] = opacity.Extract(pixel);
            }
        }
        image.SetFormat(FormatOfTrueColour(alpha));
        return Ok;
    }

    PixelFormat FormatOfTrueColour(bool alpha) const {
        switch (header_.bitCount) {
        case 16:
            return header_.masks[0] == 0xF800 && header_.masks[1] == 0x07E0 && header_.masks[2] == 0x001F
                       ? PixelFormat16bppRGB565
                       : PixelFormat16bppRGB555;
        case 24:
            return PixelFormat24bppRGB;
        default:
            return alpha ? PixelFormat32bppARGB : PixelFormat32bppRGB;
        }
    }

    const std::uint8_t* data_;
    std::size_t size_;
    BmpHeader header_;
    std::uint64_t stride_ = 0;
};

} // namespace

bool LooksLikeBmp(const std::uint8_t* data, std::size_t size) {
    return size >= 2 && data[0] == 'B' && data[1] == 'M';
}

Status DecodeBmp(const std::uint8_t* data, std::size_t size, DecodedImage& image) {
    return BmpReader(data, size).Decode(image);
}

} // namespace kamsel::gdiplus

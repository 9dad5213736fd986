#include "PngDecoder.h"

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <vector>

#include <png.h>

namespace kamsel::gdiplus {

namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Ancillary chunks (profiles, text) beyond this are not worth their memory.
constexpr png_alloc_size_t kMaxChunkBytes = 8u << 20;

// libpng's fatal errors leave through png_longjmp back to DecodePng; nothing
// between there and libpng owns resources. Warnings are dropped: the module
// prints nothing.
[[noreturn]] void OnError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void OnWarning(png_structp, png_const_charp) {}

class PngSession {
  public:
    PngSession(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    PngSession(const PngSession&) = delete;
    PngSession& operator=(const PngSession&) = delete;
    ~PngSession() {
        if (png_)
            png_destroy_read_struct(&png_, info_ ? &info_ : nullptr, nullptr);
    }

    bool Create() {
        png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
        if (!png_)
            return false;
        info_ = png_create_info_struct(png_);
        return info_ != nullptr;
    }
    png_structp Png() { return png_; }

    // May leave through OnError (longjmp); holds no objects of its own.
    Status Run(DecodedImage& image) {
        png_set_read_fn(png_, this, &PngSession::ReadBytes);
        png_set_user_limits(png_, kMaxImageDimension, kMaxImageDimension);
        png_set_chunk_malloc_max(png_, kMaxChunkBytes);
        png_read_info(png_, info_);
        const png_uint_32 width = png_get_image_width(png_, info_);
        const png_uint_32 height = png_get_image_height(png_, info_);
        if (const Status status = CheckImageSize(width, height); status != Ok)
            return status;
        const PixelLayout layout = ChooseTransforms(image);
        png_set_interlace_handling(png_);
        png_read_update_info(png_, info_);
        if (!OutputMatches(layout, width))
            return GenericError;
        if (const Status status = image.Allocate(width, height, layout); status != Ok)
            return status;
        rows_.resize(height);
        for (png_uint_32 y = 0; y < height; ++y)
            rows_[y] = image.Row(y);
        png_read_image(png_, rows_.data());
        return Ok;
    }

  private:
    static void ReadBytes(png_structp png, png_bytep out, png_size_t count) {
        auto* self = static_cast<PngSession*>(png_get_io_ptr(png));
        if (count > self->size_ - self->position_)
            png_error(png, "truncated stream");
        std::memcpy(out, self->data_ + self->position_, count);
        self->position_ += count;
    }

    // Sets libpng's transforms and the image's reported format and palette;
    // returns the layout the rows will arrive in.
    PixelLayout ChooseTransforms(DecodedImage& image) {
        const int depth = png_get_bit_depth(png_, info_);
        const int type = png_get_color_type(png_, info_);
        const bool transparentColour = png_get_valid(png_, info_, PNG_INFO_tRNS) != 0;
        if (depth == 16)
            png_set_strip_16(png_);
        if (type == PNG_COLOR_TYPE_PALETTE) {
            png_set_packing(png_);
            TakePalette(image);
            image.SetFormat(depth == 1  ? PixelFormat1bppIndexed
                            : depth < 8 ? PixelFormat4bppIndexed
                                        : PixelFormat8bppIndexed);
            return PixelLayout::Indexed8;
        }
        if (type == PNG_COLOR_TYPE_GRAY && !transparentColour) {
            png_set_expand_gray_1_2_4_to_8(png_);
            image.SetGrayPalette();
            image.SetFormat(PixelFormat8bppIndexed);
            return PixelLayout::Indexed8;
        }
        png_set_bgr(png_);
        if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA)
            png_set_gray_to_rgb(png_);
        if (type == PNG_COLOR_TYPE_RGB && !transparentColour) {
            image.SetFormat(PixelFormat24bppRGB);
            return PixelLayout::Bgr24;
        }
        if (transparentColour)
            png_set_tRNS_to_alpha(png_);
        image.SetFormat(PixelFormat32bppARGB);
        return PixelLayout::Bgra32;
    }

    void TakePalette(DecodedImage& image) {
        png_colorp colours = nullptr;
        int count = 0;
        png_get_PLTE(png_, info_, &colours, &count);
        png_bytep alphas = nullptr;
        int alphaCount = 0;
        png_get_tRNS(png_, info_, &alphas, &alphaCount, nullptr);
        std::vector<ARGB> entries(static_cast<std::size_t>(std::max(count, 0)));
        UINT flags = 0;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const ARGB alpha = alphas && static_cast<int>(i) < alphaCount ? alphas[i] : 0xFFu;
            if (alpha != 0xFFu)
                flags |= PaletteFlagsHasAlpha;
            entries[i] =
                alpha << 24 | ARGB{colours[i].red} << 16 | ARGB{colours[i].green} << 8 | colours[i].blue;
        }
        image.SetPalette(std::move(entries), flags);
    }

    bool OutputMatches(PixelLayout layout, png_uint_32 width) const {
        const int channels = layout == PixelLayout::Indexed8 ? 1 : layout == PixelLayout::Bgr24 ? 3 : 4;
        return png_get_bit_depth(png_, info_) == 8 && png_get_channels(png_, info_) == channels &&
               png_get_rowbytes(png_, info_) == std::size_t{width} * static_cast<std::size_t>(channels);
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
    std::vector<png_bytep> rows_;
};

} // namespace

bool LooksLikePng(const std::uint8_t* data, std::size_t size) {
    return size >= sizeof(kSignature) && std::memcmp(data, kSignature, sizeof(kSignature)) == 0;
}

Status DecodePng(const std::uint8_t* data, std::size_t size, DecodedImage& image) {
    PngSession session(data, size);
    if (!session.Create())
        return OutOfMemory;
    if (setjmp(png_jmpbuf(session.Png())) != 0)
        return GenericError;
    return session.Run(image);
}

} // namespace kamsel::gdiplus

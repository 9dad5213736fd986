#include "JpegDecoder.h"

#include "platform/jpeg/JpegDecompressor.h"

#include <algorithm>
#include <vector>

namespace kamsel::gdiplus {

namespace {

// libjpeg's own memory (coefficient buffers of progressive pictures) is
// bounded too; the pixel limits keep it well below this.
constexpr long kMaxDecoderMemory = 768L << 20;
// Every scan of a progressive or multi-scan picture is a pass over the whole
// picture; crafted files can carry thousands. Allow at most this many pixel
// passes in total, and never more than libjpeg-turbo's own suggested limit.
constexpr std::uint64_t kMaxScanPixelPasses = std::uint64_t{1} << 31;
constexpr int kMaxScans = 500;

int ScanLimit(std::uint64_t pixels) {
    return static_cast<int>(
        std::min<std::uint64_t>(kMaxScans, std::max<std::uint64_t>(1, kMaxScanPixelPasses / pixels)));
}

Status FailureStatus(const jpeg::JpegStatus& status) {
    return status.GetCode() == jpeg::JpegStatus::Code::OutOfMemory ? OutOfMemory : GenericError;
}

// Warnings (a damaged or truncated frame) are not fatal: the picture shows
// what arrived.
class JpegSession {
  public:
    JpegSession() { decoder_.SetMaxMemory(kMaxDecoderMemory); }

    Status Run(const std::uint8_t* data, std::size_t size, DecodedImage& image) {
        if (const jpeg::JpegStatus s = decoder_.ReadHeader(data, size); !s.Ok())
            return FailureStatus(s);
        jpeg_decompress_struct& info = decoder_.Info();
        if (const Status status = CheckImageSize(info.image_width, info.image_height); status != Ok)
            return status;
        const PixelLayout layout = ChooseOutput();
        info.dct_method = JDCT_ISLOW;
        decoder_.SetScanLimit(ScanLimit(std::uint64_t{info.image_width} * info.image_height));
        if (const jpeg::JpegStatus s = decoder_.Start(); !s.Ok())
            return FailureStatus(s);
        if (const Status status = image.Allocate(info.output_width, info.output_height, layout); status != Ok)
            return status;
        if (const Status status = ReadRows(image); status != Ok)
            return status;
        if (const jpeg::JpegStatus s = decoder_.Finish(); !s.Ok())
            return FailureStatus(s);
        if (layout == PixelLayout::Indexed8) {
            image.SetGrayPalette();
            image.SetFormat(PixelFormat8bppIndexed);
        } else {
            image.SetFormat(PixelFormat24bppRGB);
        }
        return Ok;
    }

  private:
    PixelLayout ChooseOutput() {
        jpeg_decompress_struct& info = decoder_.Info();
        switch (info.jpeg_color_space) {
        case JCS_GRAYSCALE:
            info.out_color_space = JCS_GRAYSCALE;
            return PixelLayout::Indexed8;
        case JCS_CMYK:
        case JCS_YCCK:
            info.out_color_space = JCS_CMYK;
            cmyk_ = true;
            return PixelLayout::Bgr24;
        default:
            // Straight into the layout of the handle made from the picture;
            // libjpeg-turbo sets the alpha byte to 255.
            info.out_color_space = JCS_EXT_BGRA;
            return PixelLayout::Bgrx32;
        }
    }

    Status ReadRows(DecodedImage& image) {
        const jpeg_decompress_struct& info = decoder_.Info();
        const std::size_t expected = image.Layout() == PixelLayout::Indexed8          ? 1
                                     : image.Layout() == PixelLayout::Bgr24 && !cmyk_ ? 3
                                                                                      : 4;
        if (static_cast<std::size_t>(info.output_components) != expected)
            return GenericError;
        if (cmyk_)
            cmykRow_.resize(std::size_t{info.output_width} * 4);
        while (info.output_scanline < info.output_height) {
            const JDIMENSION y = info.output_scanline;
            JSAMPROW row = cmyk_ ? cmykRow_.data() : image.Row(y);
            JDIMENSION read = 0;
            if (const jpeg::JpegStatus s = decoder_.ReadRows(&row, 1, read); !s.Ok())
                return FailureStatus(s);
            if (read != 1)
                return GenericError;
            if (cmyk_)
                CmykToBgr(image.Row(y), image.Width());
        }
        return Ok;
    }

    // Adobe's encoders store CMYK inverted (255 = no ink); others do not.
    void CmykToBgr(std::uint8_t* out, int width) const {
        const bool inverted = decoder_.Info().saw_Adobe_marker;
        const std::uint8_t* in = cmykRow_.data();
        for (int x = 0; x < width; ++x, in += 4, out += 3) {
            const unsigned k = inverted ? in[3] : 255u - in[3];
            for (int c = 0; c < 3; ++c) {
                const unsigned ink = inverted ? in[c] : 255u - in[c];
                out[2 - c] = static_cast<std::uint8_t>((ink * k + 127) / 255);
            }
        }
    }

    jpeg::JpegDecompressor decoder_;
    bool cmyk_ = false;
    std::vector<std::uint8_t> cmykRow_;
};

} // namespace

bool LooksLikeJpeg(const std::uint8_t* data, std::size_t size) {
    return size >= 2 && data[0] == 0xFF && data[1] == 0xD8;
}

Status DecodeJpeg(const std::uint8_t* data, std::size_t size, DecodedImage& image) {
    JpegSession session;
    return session.Run(data, size, image);
}

} // namespace kamsel::gdiplus

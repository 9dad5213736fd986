#include "platform/virtualcam/JpegEncoder.h"

#include "platform/jpeg/JpegCompressor.h"
#include "platform/virtualcam/DeviceErrors.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

namespace kamsel::virtualcam {

namespace {

// Raw 4:2:0 input in JFIF's full-range YCbCr, fast integer DCT.
jpeg::JpegStatus Configure(jpeg::JpegCompressor& c, const YuvImage& image, int quality) {
    jpeg_compress_struct& info = c.Info();
    info.image_width = static_cast<JDIMENSION>(image.Width());
    info.image_height = static_cast<JDIMENSION>(image.Height());
    info.input_components = 3;
    info.in_color_space = JCS_YCbCr;
    if (jpeg::JpegStatus s = c.SetDefaults(); !s.Ok())
        return s;
    if (jpeg::JpegStatus s = c.SetColorspace(JCS_YCbCr); !s.Ok())
        return s;
    info.raw_data_in = TRUE;
    info.dct_method = JDCT_IFAST;
    info.comp_info[0].h_samp_factor = 2;
    info.comp_info[0].v_samp_factor = 2;
    for (int i = 1; i < 3; ++i) {
        info.comp_info[i].h_samp_factor = 1;
        info.comp_info[i].v_samp_factor = 1;
    }
    return c.SetQuality(quality, true);
}

// Raw data goes in bands of 16 luma and 8 chroma rows; rows past the bottom
// repeat the last one.
jpeg::JpegStatus WritePlanes(jpeg::JpegCompressor& c, const YuvImage& image) {
    std::array<JSAMPROW, 2 * DCTSIZE> lumaRows{};
    std::array<JSAMPROW, DCTSIZE> blueRows{};
    std::array<JSAMPROW, DCTSIZE> redRows{};
    std::array<JSAMPARRAY, 3> planes = {lumaRows.data(), blueRows.data(), redRows.data()};
    while (c.Info().next_scanline < c.Info().image_height) {
        const int top = static_cast<int>(c.Info().next_scanline);
        for (int i = 0; i < 2 * DCTSIZE; ++i)
            lumaRows[static_cast<std::size_t>(i)] =
                const_cast<JSAMPROW>(image.YRow(std::min(top + i, image.Height() - 1)));
        for (int i = 0; i < DCTSIZE; ++i) {
            const int row = std::min(top / 2 + i, image.ChromaHeight() - 1);
            blueRows[static_cast<std::size_t>(i)] = const_cast<JSAMPROW>(image.URow(row));
            redRows[static_cast<std::size_t>(i)] = const_cast<JSAMPROW>(image.VRow(row));
        }
        if (jpeg::JpegStatus s = c.WriteRawData(planes.data(), 2 * DCTSIZE); !s.Ok())
            return s;
    }
    return {};
}

} // namespace

JpegEncoder::JpegEncoder(int quality)
    : compressor_(std::make_unique<jpeg::JpegCompressor>()), quality_(quality) {}

JpegEncoder::~JpegEncoder() = default;

media::DeviceStatus JpegEncoder::Encode(const YuvImage& image, std::span<std::uint8_t> out,
                                        std::size_t& bytesUsed) {
    jpeg::JpegCompressor& c = *compressor_;
    jpeg::JpegStatus status = Configure(c, image, quality_);
    if (status.Ok())
        status = c.Start();
    if (status.Ok())
        status = WritePlanes(c, image);
    if (status.Ok())
        status = c.Finish();
    if (!status.Ok())
        return Failure(status.GetCode() == jpeg::JpegStatus::Code::OutOfMemory ? ENOMEM : EINVAL,
                       "JPEG encoder", status.Message());
    const std::span<const std::uint8_t> file = c.Output();
    if (file.size() > out.size())
        return Failure(ENOSPC, "JPEG encoder",
                       "image larger than the " + std::to_string(out.size()) + " byte buffer");
    std::memcpy(out.data(), file.data(), file.size());
    bytesUsed = file.size();
    return media::DeviceStatus::Success();
}

} // namespace kamsel::virtualcam

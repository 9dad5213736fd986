// The libjpeg wrapper through its own interface: a rejected picture leaves
// the object ready for the next one, and the scan and memory limits stop a
// picture that would cost too much, with the status saying which limit.

#include "platform/jpeg/JpegDecompressor.h"
#include "platform/jpeg/JpegCompressor.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace kamsel::jpeg {
namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

// A colour ramp of the size of a camera frame, encoded baseline or progressive (ten scans with libjpeg's
// simple progression for colour pictures).
std::vector<std::uint8_t> Encode(bool progressive) {
    JpegCompressor c;
    jpeg_compress_struct& info = c.Info();
    info.image_width = kWidth;
    info.image_height = kHeight;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    EXPECT_TRUE(c.SetDefaults().Ok());
    if (progressive)
        jpeg_simple_progression(&info);
    EXPECT_TRUE(c.Start().Ok());
    std::vector<std::uint8_t> row(kWidth * 3);
    for (int y = 0; y < kHeight; ++y) {
        for (int i = 0; i < kWidth * 3; ++i)
            row[std::size_t(i)] = std::uint8_t((i / 3 + y) * 2);
        JSAMPROW rows[1] = {row.data()};
        EXPECT_TRUE(c.WriteRows(rows, 1).Ok());
    }
    EXPECT_TRUE(c.Finish().Ok());
    return {c.Output().begin(), c.Output().end()};
}

// Decodes the whole picture; the first failed step's status, or Ok.
JpegStatus Decode(JpegDecompressor& d, const std::vector<std::uint8_t>& file) {
    JpegStatus status = d.ReadHeader(file.data(), file.size());
    if (!status.Ok())
        return status;
    if (status = d.Start(); !status.Ok())
        return status;
    std::vector<std::uint8_t> row(std::size_t(d.Info().output_width) *
                                  std::size_t(d.Info().output_components));
    while (d.Info().output_scanline < d.Info().output_height) {
        JSAMPROW rows[1] = {row.data()};
        JDIMENSION read = 0;
        if (status = d.ReadRows(rows, 1, read); !status.Ok())
            return status;
    }
    return d.Finish();
}

TEST(JpegDecompressor, ARejectedPictureLeavesTheObjectReadyForTheNext) {
    const std::vector<std::uint8_t> good = Encode(false);
    JpegDecompressor d;
    const std::vector<std::uint8_t> png = {0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a};
    const JpegStatus notJpeg = Decode(d, png);
    EXPECT_EQ(notJpeg.GetCode(), JpegStatus::Code::BadData);
    EXPECT_NE(notJpeg.Message().find("Not a JPEG file"), std::string::npos) << notJpeg.Message();
    ASSERT_TRUE(Decode(d, good).Ok());

    // Cut inside the header: rejected, and the next picture still decodes.
    const std::vector<std::uint8_t> cut(good.begin(), good.begin() + 40);
    EXPECT_EQ(Decode(d, cut).GetCode(), JpegStatus::Code::BadData);
    // Abandoned halfway through the rows.
    ASSERT_TRUE(d.ReadHeader(good.data(), good.size()).Ok());
    ASSERT_TRUE(d.Start().Ok());
    d.Abort();
    const JpegStatus again = Decode(d, good);
    EXPECT_TRUE(again.Ok()) << again.Message();
    EXPECT_EQ(d.Info().output_width, JDIMENSION(kWidth));
    EXPECT_EQ(d.Info().output_height, JDIMENSION(kHeight));
}

TEST(JpegDecompressor, LimitsStopCostlyPicturesAndSayWhich) {
    const std::vector<std::uint8_t> progressive = Encode(true);
    const std::vector<std::uint8_t> baseline = Encode(false);
    JpegDecompressor d;
    ASSERT_TRUE(Decode(d, progressive).Ok());

    d.SetScanLimit(3);
    const JpegStatus scans = Decode(d, progressive);
    EXPECT_EQ(scans.GetCode(), JpegStatus::Code::LimitExceeded);
    EXPECT_EQ(scans.Message(), "more than 3 scans");
    EXPECT_TRUE(Decode(d, baseline).Ok()); // one scan
    d.SetScanLimit(10);
    EXPECT_TRUE(Decode(d, progressive).Ok());

    // A progressive picture keeps all its coefficients in the library's own
    // memory, which the limit bounds; a baseline one streams through.
    d.SetMaxMemory(4096);
    EXPECT_EQ(Decode(d, progressive).GetCode(), JpegStatus::Code::OutOfMemory);
    EXPECT_TRUE(Decode(d, baseline).Ok());
    d.SetMaxMemory(64L * 1024 * 1024);
    EXPECT_TRUE(Decode(d, progressive).Ok());
}

} // namespace
} // namespace kamsel::jpeg

#include "DecodeTestSupport.h"
#include "JpegTestFrames.h"
#include "tests/frames/TVideoImageTestPeer.h"

namespace kamsel::frames {
namespace {

using test::EncodeJpeg;
using test::ExpectFailureText;
using test::IsPrevious;
using test::MakeImage;
using test::Subsampling;

constexpr std::uint32_t kMJPG = FourCC("MJPG");

std::vector<std::uint8_t> Quadrants(int w, int h, Subsampling s) {
    return EncodeJpeg(w, h, s, [&](int x, int y, std::uint8_t* bgr) { test::Quadrants(w, h, x, y, bgr); });
}

TEST(TVideoImageMjpgWithoutGdiPlus, CameraFramesDecodeAtTheirOwnSize) {
    auto image = MakeImage(64, 48, kMJPG);
    auto frame = test::StripHuffmanTables(Quadrants(64, 48, Subsampling::S422));
    frame.resize(frame.size() + 1000, 0); // the rest of the camera's buffer
    image->UnpackFrame(std::int32_t(frame.size()), frame.data());
    EXPECT_TRUE(TVideoImageTestPeer::FrameDecoded(*image));
    EXPECT_EQ(TVideoImageTestPeer::JpegStream(*image).Size(), frame.size());
    const std::uint8_t* red = TVideoImageTestPeer::FrameBitmap(*image).ScanLine(10) + 10 * 3;
    EXPECT_GT(red[2], 240);
    EXPECT_LT(red[1], 16);
    const std::uint8_t* white = TVideoImageTestPeer::FrameBitmap(*image).ScanLine(40) + 60 * 3;
    EXPECT_GT(white[0], 240);

    // A smaller image lands at the top-left; the bitmap keeps its size and
    // the rest of the previous frame.
    test::FillPrevious(TVideoImageTestPeer::FrameBitmap(*image));
    const auto small = Quadrants(16, 16, Subsampling::S420);
    TVideoImageTestPeer::FrameDecoded(*image) = false;
    image->UnpackFrame(std::int32_t(small.size()), small.data());
    EXPECT_EQ(TVideoImageTestPeer::FrameBitmap(*image).Width(), 64);
    EXPECT_EQ(TVideoImageTestPeer::FrameBitmap(*image).Height(), 48);
    EXPECT_GT(TVideoImageTestPeer::FrameBitmap(*image).ScanLine(2)[2 * 3 + 2], 240);
    EXPECT_TRUE(IsPrevious(TVideoImageTestPeer::FrameBitmap(*image), 16, 0));
    EXPECT_TRUE(IsPrevious(TVideoImageTestPeer::FrameBitmap(*image), 0, 16));
}

TEST(TVideoImageMjpgWithoutGdiPlus, DataWithoutStartOfImageGivesTheText) {
    auto image = MakeImage(200, 80, kMJPG);
    auto frame = Quadrants(32, 32, Subsampling::S420);
    frame[0] = 0x00; // no SOI marker
    image->UnpackFrame(std::int32_t(frame.size()), frame.data());
    ExpectFailureText(*image, 200, 80, QString("DataSize: %1  FourCC: MJPG").arg(frame.size()));

    auto negative = MakeImage(200, 80, kMJPG);
    negative->UnpackFrame(-5, frame.data());
    ExpectFailureText(*negative, 200, 80, "DataSize: -5  FourCC: MJPG");
}

} // namespace
} // namespace kamsel::frames

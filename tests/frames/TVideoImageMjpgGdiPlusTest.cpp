#include "DecodeTestSupport.h"
#include "JpegTestFrames.h"
#include "tests/frames/TVideoImageTestPeer.h"

#include "frames/UGDIPlus.h"

namespace kamsel::frames {
namespace {

using test::EncodeJpeg;
using test::ExpectFailureText;
using test::IsPrevious;
using test::MakeImage;
using test::Subsampling;

constexpr std::uint32_t kMJPG = FourCC("MJPG");

std::vector<std::uint8_t> CameraFrame(int w, int h, Subsampling s) {
    auto frame = test::StripHuffmanTables(
        EncodeJpeg(w, h, s, [&](int x, int y, std::uint8_t* bgr) { test::Quadrants(w, h, x, y, bgr); }));
    frame.resize(frame.size() + 777, 0x5A); // the rest of the camera's buffer
    return frame;
}

void ExpectQuadrants(const Bitmap24& b) {
    const int w = b.Width(), h = b.Height();
    const std::uint8_t* red = b.ScanLine(h / 4) + w / 4 * 3;
    const std::uint8_t* green = b.ScanLine(h / 4) + 3 * w / 4 * 3;
    const std::uint8_t* blue = b.ScanLine(3 * h / 4) + w / 4 * 3;
    EXPECT_GT(red[2], 240);
    EXPECT_LT(red[1], 16);
    EXPECT_GT(green[1], 240);
    EXPECT_LT(green[0], 16);
    EXPECT_GT(blue[0], 240);
    EXPECT_LT(blue[2], 16);
}

// The module is process-wide state: each case loads it and unloads it again.
class TVideoImageMjpgWithGdiPlus : public ::testing::Test {
  protected:
    void SetUp() override {
        LoadGdiPlus(KAMSEL_GDIPLUS_MODULE);
        ASSERT_TRUE(GdiPlusAvailable());
    }
    void TearDown() override { UnloadGdiPlus(); }
};

TEST_F(TVideoImageMjpgWithGdiPlus, CameraFramesDecodeAtTheImageSize) {
    for (Subsampling s : {Subsampling::S422, Subsampling::S420}) {
        auto image = MakeImage(32, 32, kMJPG);
        const auto frame = CameraFrame(64, 48, s);
        image->UnpackFrame(std::int32_t(frame.size()), frame.data());
        EXPECT_TRUE(TVideoImageTestPeer::FrameDecoded(*image));
        EXPECT_EQ(TVideoImageTestPeer::FrameBitmap(*image).Width(), 64);
        EXPECT_EQ(TVideoImageTestPeer::FrameBitmap(*image).Height(), 48);
        EXPECT_EQ(TVideoImageTestPeer::FrameBitmap(*image).Format(), PixelFormat::Bits24);
        ExpectQuadrants(TVideoImageTestPeer::FrameBitmap(*image));
    }

    // Without a video size from the capture side the frame still decodes.
    auto sizeless = MakeImage(0, 0, kMJPG);
    const auto frame = CameraFrame(48, 32, Subsampling::S422);
    sizeless->UnpackFrame(std::int32_t(frame.size()), frame.data());
    EXPECT_EQ(TVideoImageTestPeer::FrameBitmap(*sizeless).Width(), 48);
    EXPECT_EQ(TVideoImageTestPeer::FrameBitmap(*sizeless).Height(), 32);
    ExpectQuadrants(TVideoImageTestPeer::FrameBitmap(*sizeless));
}

TEST_F(TVideoImageMjpgWithGdiPlus, UnreadableFramesLeaveThePreviousPictureWithoutText) {
    auto image = MakeImage(64, 48, kMJPG);
    auto frame = CameraFrame(64, 48, Subsampling::S420);
    frame[0] = 0x00; // no SOI marker
    image->UnpackFrame(std::int32_t(frame.size()), frame.data());
    EXPECT_TRUE(TVideoImageTestPeer::FrameDecoded(*image));
    EXPECT_TRUE(IsPrevious(TVideoImageTestPeer::FrameBitmap(*image), 0, 0));
    EXPECT_TRUE(IsPrevious(TVideoImageTestPeer::FrameBitmap(*image), 63, 47));
    EXPECT_EQ(TVideoImageTestPeer::FrameBitmap(*image).Width(), 64);
}

TEST(TVideoImageMjpgMissingGdiPlus, AMissingModuleMeansTheJpegLibrary) {
    LoadGdiPlus("/nonexistent/gdiplus.so");
    EXPECT_FALSE(GdiPlusAvailable());
    auto image = MakeImage(200, 80, kMJPG);
    auto frame = CameraFrame(64, 48, Subsampling::S422);
    image->UnpackFrame(std::int32_t(frame.size()), frame.data());
    EXPECT_EQ(TVideoImageTestPeer::FrameBitmap(*image).Width(),
              200); // drawn at its own size, the bitmap keeps its size
    EXPECT_TRUE(IsPrevious(TVideoImageTestPeer::FrameBitmap(*image), 100, 70));
    EXPECT_GT(TVideoImageTestPeer::FrameBitmap(*image).ScanLine(10)[10 * 3 + 2], 240);

    frame[0] = 0x00;
    auto text = MakeImage(200, 80, kMJPG);
    text->UnpackFrame(std::int32_t(frame.size()), frame.data());
    ExpectFailureText(*text, 200, 80, QString("DataSize: %1  FourCC: MJPG").arg(frame.size()));
    UnloadGdiPlus();
}

} // namespace
} // namespace kamsel::frames

#include "DecodeTestSupport.h"
#include "tests/frames/TVideoImageTestPeer.h"

#include "platform/media/YuvConverter.h"

#include <array>

namespace kamsel::frames {
namespace {

using media::YuvConverter;

using test::ExpectFailureText;
using test::IsPrevious;
using test::MakeImage;
using test::RandomBytes;
using test::SamePixels;

constexpr std::uint32_t kYUY2 = FourCC("YUY2");
constexpr std::uint32_t kI420 = FourCC("I420");
constexpr std::uint32_t kYV12 = FourCC("YV12");

// The colour the tables give for (y, u, v), as blue, green, red.
std::array<std::uint8_t, 3> Expected(TVideoImage& image, std::uint8_t y, std::uint8_t u, std::uint8_t v) {
    image.InitYUVTables();
    const YuvConverter converter(
        {TVideoImageTestPeer::TableY(image).data(), TVideoImageTestPeer::TableUG(image).data(),
         TVideoImageTestPeer::TableUB(image).data(), TVideoImageTestPeer::TableVR(image).data(),
         TVideoImageTestPeer::TableVG(image).data(),
         TVideoImageTestPeer::ClipTable(image).data() + TVideoImage::kClipZero});
    std::array<std::uint8_t, 3> bgr{};
    converter.Pixel(y, u, v, bgr.data());
    return bgr;
}

std::array<std::uint8_t, 3> At(const Bitmap24& bitmap, int x, int y) {
    const std::uint8_t* p = bitmap.ScanLine(y) + x * 3;
    return {p[0], p[1], p[2]};
}

TEST(TVideoImagePacked, ConvertsFullAndLongerSamplesAndRejectsOthers) {
    auto image = MakeImage(640, 480, kYUY2);
    const auto sample = RandomBytes(614400, 1);
    image->UnpackFrame(614400, sample.data());
    ASSERT_TRUE(TVideoImageTestPeer::FrameDecoded(*image));
    for (int r : {0, 1, 239, 479})
        for (int x : {0, 1, 2, 3, 638, 639}) {
            const std::uint8_t* pair = &sample[std::size_t(r) * 1280 + std::size_t(x / 2) * 4];
            EXPECT_EQ(At(TVideoImageTestPeer::FrameBitmap(*image), x, r),
                      Expected(*image, pair[x % 2 * 2], pair[1], pair[3]))
                << x << "," << r;
        }

    // 488 rows, a multiple of 4: the first 480 are the picture.
    auto longer = MakeImage(640, 480, FourCC("YUNV"));
    auto bigSample = sample;
    const auto tail = RandomBytes(624640 - 614400, 2);
    bigSample.insert(bigSample.end(), tail.begin(), tail.end());
    longer->UnpackFrame(624640, bigSample.data());
    EXPECT_TRUE(
        SamePixels(TVideoImageTestPeer::FrameBitmap(*longer), TVideoImageTestPeer::FrameBitmap(*image)));

    // 481 rows: not a multiple of 4.
    auto odd = MakeImage(640, 480, kYUY2);
    const auto oddSample = RandomBytes(615680, 3);
    odd->UnpackFrame(615680, oddSample.data());
    ExpectFailureText(*odd, 640, 480, "DataSize: 615680  FourCC: YUY2");

    // 482 rows: even, but not a multiple of 4.
    auto even = MakeImage(640, 480, kYUY2);
    const auto evenSample = RandomBytes(616960, 4);
    even->UnpackFrame(616960, evenSample.data());
    ExpectFailureText(*even, 640, 480, "DataSize: 616960  FourCC: YUY2");

    auto shorter = MakeImage(640, 480, FourCC("YUYV"));
    shorter->UnpackFrame(614399, sample.data());
    ExpectFailureText(*shorter, 640, 480, "DataSize: 614399  FourCC: YUYV");
}

TEST(TVideoImagePacked, ZeroWidthIsAFailureWithoutDivision) {
    for (std::uint32_t code : {kYUY2, FourCC("YUNV"), FourCC("YUYV")}) {
        TVideoImage image;
        image.VideoWidth = 0;
        image.VideoHeight = 480;
        image.VideoFourCC = code;
        const std::vector<std::uint8_t> sample(4096, 0x80);
        for (std::int32_t length : {0, 4, 4096}) {
            TVideoImageTestPeer::FrameDecoded(image) = false;
            image.UnpackFrame(length, sample.data());
            EXPECT_TRUE(TVideoImageTestPeer::FrameDecoded(image));
            EXPECT_EQ(TVideoImageTestPeer::FrameBitmap(image).Width(), 0);
        }
    }
    // A bitmap left from an earlier stream shows the text.
    auto image = MakeImage(200, 60, kYUY2);
    image->VideoWidth = 0;
    const std::vector<std::uint8_t> sample(100, 0x80);
    image->UnpackFrame(100, sample.data());
    ExpectFailureText(*image, 200, 60, "DataSize: 100  FourCC: YUY2");
}

TEST(TVideoImagePacked, OddWidthReadsPairsAsOneRunAndLeavesTheLastColumn) {
    auto image = MakeImage(5, 2, kYUY2);
    const auto sample = RandomBytes(20, 4);
    image->UnpackFrame(20, sample.data());
    // Row 1 starts right after the two pairs of row 0, at byte 8.
    EXPECT_EQ(At(TVideoImageTestPeer::FrameBitmap(*image), 0, 1),
              Expected(*image, sample[8], sample[9], sample[11]));
    EXPECT_EQ(At(TVideoImageTestPeer::FrameBitmap(*image), 3, 1),
              Expected(*image, sample[14], sample[13], sample[15]));
    EXPECT_TRUE(IsPrevious(TVideoImageTestPeer::FrameBitmap(*image), 4, 0));
    EXPECT_TRUE(IsPrevious(TVideoImageTestPeer::FrameBitmap(*image), 4, 1));
}

// A 4:2:0 sample whose luma is the same on every row and whose chroma differs
// from chroma row to chroma row.
std::vector<std::uint8_t> PlanarSample(int w, int h, bool vFirst) {
    std::vector<std::uint8_t> sample(std::size_t(w) * h * 3 / 2);
    for (int r = 0; r < h; ++r)
        for (int x = 0; x < w; ++x)
            sample[std::size_t(r) * w + x] = std::uint8_t(40 + x * 3 % 180);
    const std::size_t chroma = std::size_t(w / 2) * (h / 2);
    std::uint8_t* u = &sample[std::size_t(w) * h + (vFirst ? chroma : 0)];
    std::uint8_t* v = &sample[std::size_t(w) * h + (vFirst ? 0 : chroma)];
    for (std::size_t i = 0; i < chroma; ++i) {
        u[i] = std::uint8_t(i * 7);
        v[i] = std::uint8_t(255 - i * 5);
    }
    return sample;
}

TEST(TVideoImagePlanar, ConvertsOnlyTheExactLength) {
    auto image = MakeImage(640, 480, kI420);
    const auto sample = RandomBytes(460800, 5);
    image->UnpackFrame(460800, sample.data());
    ASSERT_TRUE(TVideoImageTestPeer::FrameDecoded(*image));
    const std::size_t uStart = 640 * 480, vStart = uStart + 640 * 480 / 4;
    for (int r : {0, 1, 2, 477, 479})
        for (int x : {0, 1, 2, 639}) {
            const std::size_t c = std::size_t(r / 2) * 320 + std::size_t(x / 2);
            EXPECT_EQ(
                At(TVideoImageTestPeer::FrameBitmap(*image), x, r),
                Expected(*image, sample[std::size_t(r) * 640 + x], sample[uStart + c], sample[vStart + c]))
                << x << "," << r;
        }

    for (std::int32_t length : {460799, 460801}) {
        auto other = MakeImage(640, 480, kI420);
        const auto bytes = RandomBytes(std::size_t(length), 6);
        other->UnpackFrame(length, bytes.data());
        ExpectFailureText(*other, 640, 480, QString("DataSize: %1  FourCC: I420").arg(length));
    }
}

TEST(TVideoImagePlanar, ChromaOrderAndSharedRows) {
    auto i420 = MakeImage(64, 8, kI420);
    auto iyuv = MakeImage(64, 8, FourCC("IYUV"));
    auto yv12 = MakeImage(64, 8, kYV12);
    const auto uFirst = PlanarSample(64, 8, false);
    const auto vFirst = PlanarSample(64, 8, true);
    i420->UnpackFrame(std::int32_t(uFirst.size()), uFirst.data());
    iyuv->UnpackFrame(std::int32_t(uFirst.size()), uFirst.data());
    yv12->UnpackFrame(std::int32_t(vFirst.size()), vFirst.data());
    EXPECT_TRUE(SamePixels(TVideoImageTestPeer::FrameBitmap(*i420), TVideoImageTestPeer::FrameBitmap(*yv12)));
    EXPECT_TRUE(SamePixels(TVideoImageTestPeer::FrameBitmap(*i420), TVideoImageTestPeer::FrameBitmap(*iyuv)));

    const Bitmap24& b = TVideoImageTestPeer::FrameBitmap(*i420);
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(std::memcmp(b.ScanLine(2 * k), b.ScanLine(2 * k + 1), 64 * 3), 0) << k;
    for (int k = 0; k < 3; ++k)
        EXPECT_NE(std::memcmp(b.ScanLine(2 * k + 1), b.ScanLine(2 * k + 2), 64 * 3), 0) << k;
}

TEST(TVideoImagePlanar, OddHeightThatWouldReadPastTheSampleIsRefused) {
    // 400 x 101: the second chroma plane's last row would end 100 bytes past
    // (400 * 101 * 3) div 2 = 60600 bytes. Refused like any sample that does
    // not fit, not decoded from what lies beyond.
    auto image = MakeImage(400, 101, kI420);
    const auto sample = RandomBytes(60600, 7);
    image->UnpackFrame(60600, sample.data());
    ExpectFailureText(*image, 400, 101, "DataSize: 60600  FourCC: I420");

    // 2 x 3 fits exactly: Y at 0..5, U at 6..7, V at 7..8.
    auto fits = MakeImage(2, 3, kI420);
    const auto small = RandomBytes(9, 8);
    fits->UnpackFrame(9, small.data());
    EXPECT_EQ(At(TVideoImageTestPeer::FrameBitmap(*fits), 0, 2),
              Expected(*fits, small[4], small[7], small[8]));
}

TEST(TVideoImageRgb, CopiesBottomUpAtTheExactLengthOnly) {
    auto image = MakeImage(320, 240, 0);
    const auto sample = RandomBytes(230400, 9);
    image->UnpackFrame(230400, sample.data());
    ASSERT_TRUE(TVideoImageTestPeer::FrameDecoded(*image));
    EXPECT_EQ(std::memcmp(TVideoImageTestPeer::FrameBitmap(*image).ScanLine(239), sample.data(), 960), 0);
    EXPECT_EQ(
        std::memcmp(TVideoImageTestPeer::FrameBitmap(*image).ScanLine(0), sample.data() + 239 * 960, 960), 0);

    for (std::int32_t length : {230399, 230401, 0}) {
        auto other = MakeImage(320, 240, 0);
        const auto bytes = RandomBytes(std::size_t(length) + 1, 10);
        other->UnpackFrame(length, bytes.data());
        ExpectFailureText(*other, 320, 240, QString("DataSize: %1  FourCC: RGB").arg(length));
    }
}

TEST(TVideoImageDispatch, UnknownCodesNullBuffersAndLeftoverBitmaps) {
    auto image = MakeImage(160, 120, FourCC("H264"));
    const auto sample = RandomBytes(1000, 11);
    image->UnpackFrame(1000, sample.data());
    ExpectFailureText(*image, 160, 120, "DataSize: 1000  FourCC: H264");

    auto untouched = MakeImage(16, 16, kYUY2);
    untouched->UnpackFrame(512, nullptr);
    EXPECT_FALSE(TVideoImageTestPeer::FrameDecoded(*untouched));
    EXPECT_TRUE(IsPrevious(TVideoImageTestPeer::FrameBitmap(*untouched), 0, 0));

    // A compressed frame left the bitmap at another size and format; the
    // next raw frame is converted at the video size, reading only its own bytes.
    auto changed = MakeImage(64, 48, kYUY2);
    TVideoImageTestPeer::FrameBitmap(*changed).SetSize(128, 96);
    TVideoImageTestPeer::FrameBitmap(*changed).SetFormat(PixelFormat::Bits32);
    const auto raw = RandomBytes(64 * 48 * 2, 12);
    changed->UnpackFrame(std::int32_t(raw.size()), raw.data());
    EXPECT_EQ(TVideoImageTestPeer::FrameBitmap(*changed).Width(), 64);
    EXPECT_EQ(TVideoImageTestPeer::FrameBitmap(*changed).Height(), 48);
    EXPECT_EQ(TVideoImageTestPeer::FrameBitmap(*changed).Format(), PixelFormat::Bits24);
    EXPECT_EQ(At(TVideoImageTestPeer::FrameBitmap(*changed), 63, 47),
              Expected(*changed, raw[6142], raw[6141], raw[6143]));
}

} // namespace
} // namespace kamsel::frames

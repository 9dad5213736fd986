// The binding with our gdiplus module loaded.

#include "frames/UGDIPlus.h"
#include "GdiPlusTestSupport.h"
#include "platform/gdiplus/TestStream.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace kamsel::frames::test {
namespace {

using namespace testimages;

constexpr int kTolerance = 12;

::testing::AssertionResult ShowsColourBlocks(const Bitmap24& bitmap) {
    for (int y = kBlockSize / 2; y < bitmap.Height(); y += kBlockSize)
        for (int x = kBlockSize / 2; x < bitmap.Width(); x += kBlockSize) {
            const auto got = BgrAt(bitmap, x, y);
            const auto want = Bgr(BlockColourAt(x, y));
            for (int c = 0; c < 3; ++c)
                if (std::abs(got[c] - want[c]) > kTolerance)
                    return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") channel " << c
                                                         << " is " << +got[c] << ", wanted " << +want[c];
        }
    return ::testing::AssertionSuccess();
}

class GdiPlusBinding : public ::testing::Test {
  protected:
    void SetUp() override {
        LoadGdiPlus(KAMSEL_GDIPLUS_MODULE);
        ASSERT_TRUE(GdiPlusAvailable());
    }
    void TearDown() override { UnloadGdiPlus(); }

    MemoryStream stream_;
};

TEST_F(GdiPlusBinding, IsFoundBesideTheExecutable) {
    UnloadGdiPlus();
    EXPECT_FALSE(GdiPlusAvailable());
    LoadGdiPlus(); // the build puts the tests and the module in one folder
    EXPECT_TRUE(GdiPlusAvailable());
}

TEST_F(GdiPlusBinding, A640x480JpegBecomesA24BitBitmapWithThePicture) {
    Fill(stream_, EncodeJpeg(ColourBlocks(640, 480)));
    Bitmap24 bitmap(32, 32, PixelFormat::Bits32); // whatever it was before
    EXPECT_EQ(StreamToBitmap(stream_, &bitmap), 0);
    EXPECT_EQ(bitmap.Format(), PixelFormat::Bits24);
    EXPECT_EQ(bitmap.Width(), 640);
    EXPECT_EQ(bitmap.Height(), 480);
    EXPECT_TRUE(ShowsColourBlocks(bitmap));
}

TEST_F(GdiPlusBinding, CameraFramesDecodeInTrueColours) {
    // Buffers as cameras fill them: no Huffman tables, the frame followed by
    // the rest of the buffer; 4:2:2 and 4:2:0 sampling.
    for (const JpegOptions sampling : {JpegOptions{2, 1}, JpegOptions{2, 2}}) {
        Bytes buffer = StripHuffmanTables(EncodeJpeg(ColourBlocks(320, 240), sampling));
        buffer.resize(320 * 240 * 2, 0);
        Fill(stream_, buffer);
        Bitmap24 bitmap(320, 240);
        EXPECT_EQ(StreamToBitmap(stream_, &bitmap), 0) << "vertical sampling " << sampling.vSampling;
        EXPECT_TRUE(ShowsColourBlocks(bitmap)) << "vertical sampling " << sampling.vSampling;
    }
}

TEST_F(GdiPlusBinding, TheStreamIsReadFromItsCurrentPosition) {
    const Bytes jpeg = EncodeJpeg(ColourBlocks(64, 64));
    stream_.Write("not a picture", 13);
    stream_.Write(jpeg.data(), jpeg.size());
    stream_.SetPosition(13);
    Bitmap24 bitmap;
    EXPECT_EQ(StreamToBitmap(stream_, &bitmap), 0);
    EXPECT_EQ(bitmap.Width(), 64);
    EXPECT_TRUE(ShowsColourBlocks(bitmap));
}

TEST_F(GdiPlusBinding, AnIndexedPngBecomes24BitInItsPaletteColours) {
    const std::vector<Rgba> palette = {{200, 10, 20, 255}, {0, 128, 255, 255}, {17, 34, 51, 255}};
    std::vector<std::uint8_t> indices;
    for (int i = 0; i < 10 * 4; ++i)
        indices.push_back(static_cast<std::uint8_t>(i % 3));
    Fill(stream_, EncodeIndexedPng(10, 4, indices, palette));
    Bitmap24 bitmap;
    EXPECT_EQ(StreamToBitmap(stream_, &bitmap), 0);
    EXPECT_EQ(bitmap.Format(), PixelFormat::Bits24);
    ASSERT_EQ(bitmap.Width(), 10);
    ASSERT_EQ(bitmap.Height(), 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 10; ++x) {
            const Rgba& c = palette[static_cast<std::size_t>(y * 10 + x) % 3];
            EXPECT_EQ(BgrAt(bitmap, x, y), (std::array<std::uint8_t, 3>{c.b, c.g, c.r})) << x << ", " << y;
        }
}

TEST_F(GdiPlusBinding, AnAlphaPngBecomes32BitWithTransparentPartsOverBlack) {
    const std::vector<Rgba> pixels = {{255, 0, 0, 255}, {0, 255, 0, 0}, {0, 0, 255, 128}, {9, 9, 9, 0}};
    Fill(stream_, EncodeRgbaPng(2, 2, pixels));
    Bitmap24 bitmap(2, 2);
    bitmap.GetCanvas().FillRect(0, 0, 2, 2); // white: must not show through
    EXPECT_EQ(StreamToBitmap(stream_, &bitmap), 0);
    EXPECT_EQ(bitmap.Format(), PixelFormat::Bits32);
    using Bgr3 = std::array<std::uint8_t, 3>;
    EXPECT_EQ(BgrAt(bitmap, 0, 0), (Bgr3{0, 0, 255}));
    EXPECT_EQ(BgrAt(bitmap, 1, 0), (Bgr3{0, 0, 0}));
    EXPECT_EQ(BgrAt(bitmap, 0, 1), (Bgr3{128, 0, 0}));
    EXPECT_EQ(BgrAt(bitmap, 1, 1), (Bgr3{0, 0, 0}));
}

TEST_F(GdiPlusBinding, BytesThatAreNoPictureLeaveTheBitmapAsItWas) {
    Bitmap24 bitmap(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 24; ++x)
            bitmap.ScanLine(y)[x] = static_cast<std::uint8_t>(x * 7 + y);
    Bitmap24 before;
    before.Assign(bitmap);
    for (unsigned seed = 1; seed <= 20; ++seed) {
        std::srand(seed);
        Bytes noise(64 + std::rand() % 4000);
        for (auto& b : noise)
            b = static_cast<std::uint8_t>(std::rand());
        Fill(stream_, noise);
        EXPECT_NE(StreamToBitmap(stream_, &bitmap), 0) << "seed " << seed;
    }
    ASSERT_EQ(bitmap.Format(), PixelFormat::Bits24);
    ASSERT_EQ(bitmap.Width(), 8);
    ASSERT_EQ(bitmap.Height(), 8);
    for (int y = 0; y < 8; ++y)
        EXPECT_EQ(std::memcmp(bitmap.ScanLine(y), before.ScanLine(y), 24), 0) << "row " << y;
}

TEST_F(GdiPlusBinding, WithoutATargetBitmapTheStatusIs6) {
    Fill(stream_, EncodeJpeg(ColourBlocks(16, 16)));
    EXPECT_EQ(StreamToBitmap(stream_, nullptr), kNoTargetBitmap);
    EXPECT_EQ(ImageToBitmap(nullptr, nullptr), kNoTargetBitmap);
}

TEST_F(GdiPlusBinding, AComStreamIsHeldOnlyForTheCall) {
    const auto stream = com::MakeComObject<TestStream>(EncodeJpeg(ColourBlocks(32, 32)));
    Bitmap24 bitmap;
    EXPECT_EQ(IStreamToBitmap(stream.Get(), &bitmap), 0);
    EXPECT_EQ(bitmap.Width(), 32);
    EXPECT_EQ(stream->AddRef(), 2u); // ours and the one just taken: the binding kept none
    stream->Release();
}

TEST_F(GdiPlusBinding, AnImageWithoutPixelsResizesTheTargetButDrawsNothing) {
    // Not an image of the module: its size and format cannot be read, so the
    // target becomes an empty 32-bit bitmap, and getting the pixels fails.
    gdiplus::GpBitmap unknown;
    Bitmap24 bitmap(4, 4);
    EXPECT_EQ(ImageToBitmap(&unknown, &bitmap), gdiplus::InvalidParameter);
    EXPECT_EQ(bitmap.Format(), PixelFormat::Bits32);
    EXPECT_EQ(bitmap.Width(), 0);
    EXPECT_EQ(bitmap.Height(), 0);
}

} // namespace
} // namespace kamsel::frames::test

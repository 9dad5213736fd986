// JPEG decoding, motion-JPEG camera frames in particular.

#include "GdiplusModuleFixture.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace kamsel::testimages {
namespace {

using namespace gdiplus;

constexpr int kTolerance = 12; // JPEG at quality 95 in the middle of a flat block

// Every block's middle pixel has the block's colour, alpha 255.
::testing::AssertionResult ShowsColourBlocks(const GdiBitmap& dib) {
    for (int y = kBlockSize / 2; y < dib.bmHeight; y += kBlockSize)
        for (int x = kBlockSize / 2; x < dib.bmWidth; x += kBlockSize) {
            const auto bgra = PixelAt(dib, x, y);
            const Rgb want = BlockColourAt(x, y);
            if (std::abs(bgra[2] - want.r) > kTolerance || std::abs(bgra[1] - want.g) > kTolerance ||
                std::abs(bgra[0] - want.b) > kTolerance || bgra[3] != 255)
                return ::testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << ") is BGRA " << +bgra[0] << " " << +bgra[1] << " "
                       << +bgra[2] << " " << +bgra[3] << ", wanted RGB " << +want.r << " " << +want.g << " "
                       << +want.b;
        }
    return ::testing::AssertionSuccess();
}

bool SamePixels(const GdiBitmap& a, const GdiBitmap& b) {
    return a.bmWidth == b.bmWidth && a.bmHeight == b.bmHeight && a.bmWidthBytes == b.bmWidthBytes &&
           std::memcmp(a.bmBits, b.bmBits, static_cast<std::size_t>(a.bmWidthBytes) * a.bmHeight) == 0;
}

class GdiplusJpeg : public GdiplusModuleTest {};

TEST_F(GdiplusJpeg, A640x480FrameDecodesAs24BitWithItsPicture) {
    const auto image = DecodeOk(EncodeJpeg(ColourBlocks(640, 480)));
    REAL width = 0, height = 0;
    ASSERT_EQ(api_.GetImageDimension(image->handle, &width, &height), Ok);
    EXPECT_EQ(width, 640.0f);
    EXPECT_EQ(height, 480.0f);
    EXPECT_EQ(FormatOf(image->handle), PixelFormat24bppRGB);
    EXPECT_TRUE(PaletteOf(image->handle).empty());

    const Dib dib = MakeDib(image->handle);
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib->bmWidth, 640);
    EXPECT_EQ(dib->bmHeight, 480);
    EXPECT_EQ(dib->bmBitsPixel, 32);
    EXPECT_EQ(dib->bmWidthBytes, 640 * 4);
    EXPECT_TRUE(ShowsColourBlocks(*dib));
}

struct Sampling {
    const char* name;
    int h;
    int v;
};

void PrintTo(const Sampling& sampling, std::ostream* out) {
    *out << sampling.name;
}

class GdiplusJpegSampling : public GdiplusModuleTest, public ::testing::WithParamInterface<Sampling> {};

TEST_P(GdiplusJpegSampling, ACameraFrameWithoutHuffmanTablesDecodesAsWithThem) {
    const Bytes withTables = EncodeJpeg(ColourBlocks(320, 240), {GetParam().h, GetParam().v});
    const Bytes withoutTables = StripHuffmanTables(withTables);
    ASSERT_LT(withoutTables.size(), withTables.size());
    const auto reference = DecodeOk(withTables);
    const auto frame = DecodeOk(withoutTables);
    const Dib want = MakeDib(reference->handle);
    const Dib got = MakeDib(frame->handle);
    ASSERT_TRUE(want && got);
    EXPECT_TRUE(SamePixels(*want, *got));
}

// The handle's pixels are libjpeg's own blue, green, red output, opaque, to
// the bit, whether the frame carries its Huffman tables or not.
TEST_P(GdiplusJpegSampling, ACameraFrameHandleHoldsLibjpegsPixelsExactly) {
    const Bytes withTables = EncodeJpeg(CameraScene(320, 240), {GetParam().h, GetParam().v, 90});
    const Bytes want = DecodeJpegToBgr(withTables);
    ASSERT_EQ(want.size(), std::size_t{320} * 240 * 3);
    for (const Bytes& frame : {withTables, StripHuffmanTables(withTables)}) {
        const auto image = DecodeOk(frame);
        const Dib dib = MakeDib(image->handle);
        ASSERT_TRUE(dib);
        ASSERT_EQ(dib->bmWidthBytes, 320 * 4);
        std::size_t mismatches = 0;
        for (std::size_t i = 0; i < std::size_t{320} * 240; ++i)
            mismatches += std::memcmp(dib->bmBits + 4 * i, want.data() + 3 * i, 3) != 0 ||
                          dib->bmBits[4 * i + 3] != 255;
        EXPECT_EQ(mismatches, 0u);
    }
}

// Every handle is the caller's own: what one owner writes is not seen in the
// next handle made from the same image.
TEST_F(GdiplusJpeg, EveryHandleOfAnImageHoldsItsOwnCopyOfThePicture) {
    const auto image = DecodeOk(EncodeJpeg(CameraScene(96, 64)));
    const Dib first = MakeDib(image->handle);
    ASSERT_TRUE(first);
    const Bytes original(first->bmBits, first->bmBits + std::size_t{96} * 4 * 64);
    std::memset(first->bmBits, 0x5A, original.size());
    for (int round = 0; round < 2; ++round) {
        const Dib next = MakeDib(image->handle, round == 0 ? 0 : 0xFFFFFFFFu);
        ASSERT_TRUE(next);
        EXPECT_EQ(Bytes(next->bmBits, next->bmBits + original.size()), original);
    }
}

INSTANTIATE_TEST_SUITE_P(Subsampling, GdiplusJpegSampling,
                         ::testing::Values(Sampling{"yuv420", 2, 2}, Sampling{"yuv422", 2, 1},
                                           Sampling{"yuv444", 1, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(GdiplusJpeg, BytesAfterTheEndOfImageAreIgnored) {
    const Bytes frame = EncodeJpeg(ColourBlocks(160, 96));
    Bytes buffer = frame; // a camera buffer is larger than its frame
    buffer.resize(frame.size() * 3, 0xA5);
    const auto reference = DecodeOk(frame);
    const auto padded = DecodeOk(buffer);
    const Dib want = MakeDib(reference->handle);
    const Dib got = MakeDib(padded->handle);
    ASSERT_TRUE(want && got);
    EXPECT_TRUE(SamePixels(*want, *got));
}

TEST_F(GdiplusJpeg, AFrameCutShortShowsWhatArrived) {
    const Bytes frame = EncodeJpeg(ColourBlocks(256, 256));
    const Bytes cut(frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(frame.size() * 3 / 4));
    const auto image = DecodeOk(cut);
    const Dib dib = MakeDib(image->handle);
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib->bmHeight, 256);
    const auto top = PixelAt(*dib, kBlockSize / 2, kBlockSize / 2);
    EXPECT_NEAR(top[2], 255, kTolerance); // the first block is red
    EXPECT_NEAR(top[1], 0, kTolerance);
}

TEST_F(GdiplusJpeg, ProgressiveJpegDecodes) {
    const auto image = DecodeOk(EncodeJpeg(ColourBlocks(128, 64), {.progressive = true}));
    const Dib dib = MakeDib(image->handle);
    ASSERT_TRUE(dib);
    EXPECT_TRUE(ShowsColourBlocks(*dib));
}

TEST_F(GdiplusJpeg, GrayJpegIsIndexedWithAGrayPalette) {
    const auto image = DecodeOk(EncodeGrayJpeg(256, 8));
    EXPECT_EQ(FormatOf(image->handle), PixelFormat8bppIndexed);
    UINT flags = 0;
    const std::vector<ARGB> palette = PaletteOf(image->handle, &flags);
    ASSERT_EQ(palette.size(), 256u);
    EXPECT_EQ(palette[0], 0xFF000000u);
    EXPECT_EQ(palette[128], 0xFF808080u);
    EXPECT_EQ(palette[255], 0xFFFFFFFFu);
    EXPECT_EQ(flags & PaletteFlagsGrayScale, PaletteFlagsGrayScale);
    const Dib dib = MakeDib(image->handle);
    ASSERT_TRUE(dib);
    const auto right = PixelAt(*dib, 255, 4);
    EXPECT_NEAR(right[0], 255, 4);
    EXPECT_EQ(right[0], right[2]);
}

TEST_F(GdiplusJpeg, TheStreamIsReadFromItsCurrentPositionToItsEnd) {
    Bytes bytes(100, 0x42); // whatever precedes the image is not looked at
    const Bytes frame = EncodeJpeg(ColourBlocks(64, 64));
    bytes.insert(bytes.end(), frame.begin(), frame.end());
    const auto stream = com::MakeComObject<TestStream>(bytes, 100);
    GpBitmap* image = nullptr;
    ASSERT_EQ(api_.CreateBitmapFromStream(stream.Get(), &image), Ok);
    EXPECT_EQ(stream->Position(), bytes.size());
    EXPECT_EQ(FormatOf(image), PixelFormat24bppRGB);
    EXPECT_EQ(api_.DisposeImage(image), Ok);
}

} // namespace
} // namespace kamsel::testimages

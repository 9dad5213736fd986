// PNG and BMP decoding: palettes, alpha and the bitmap handle's compositing.

#include "GdiplusModuleFixture.h"

namespace kamsel::testimages {
namespace {

using namespace gdiplus;
using Bgra = std::array<std::uint8_t, 4>;

const std::vector<Rgba> kPalette = {
    {200, 10, 20, 255}, {0, 128, 255, 255}, {17, 34, 51, 255}, {250, 250, 0, 128}, {9, 9, 9, 0}};

// Column x of every row holds palette entry x % count.
std::vector<std::uint8_t> Stripes(int width, int height, std::size_t count) {
    std::vector<std::uint8_t> indices;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            indices.push_back(static_cast<std::uint8_t>(static_cast<std::size_t>(x) % count));
    return indices;
}

ARGB ToArgb(const Rgba& c) {
    return ARGB{c.a} << 24 | ARGB{c.r} << 16 | ARGB{c.g} << 8 | c.b;
}

class GdiplusPng : public GdiplusModuleTest {};

TEST_F(GdiplusPng, IndexedPngKeepsItsPalette) {
    const auto image = DecodeOk(EncodeIndexedPng(10, 4, Stripes(10, 4, kPalette.size()), kPalette));
    EXPECT_EQ(FormatOf(image->handle), PixelFormat8bppIndexed);
    UINT flags = 0;
    const std::vector<ARGB> palette = PaletteOf(image->handle, &flags);
    ASSERT_EQ(palette.size(), kPalette.size());
    for (std::size_t i = 0; i < palette.size(); ++i)
        EXPECT_EQ(palette[i], ToArgb(kPalette[i])) << "entry " << i;
    EXPECT_EQ(flags & PaletteFlagsHasAlpha, PaletteFlagsHasAlpha);

    INT size = 0;
    ASSERT_EQ(api_.GetImagePaletteSize(image->handle, &size), Ok);
    std::vector<std::uint8_t> tooSmall(static_cast<std::size_t>(size));
    EXPECT_EQ(api_.GetImagePalette(image->handle, reinterpret_cast<ColorPalette*>(tooSmall.data()), size - 1),
              InvalidParameter);
}

TEST_F(GdiplusPng, IndexedPngShowsItsPaletteColoursOverTheBackground) {
    const auto image = DecodeOk(EncodeIndexedPng(10, 4, Stripes(10, 4, kPalette.size()), kPalette));
    const Dib dib = MakeDib(image->handle);
    ASSERT_TRUE(dib);
    EXPECT_EQ(PixelAt(*dib, 0, 3), (Bgra{20, 10, 200, 255}));
    EXPECT_EQ(PixelAt(*dib, 6, 0), (Bgra{255, 128, 0, 255}));
    EXPECT_EQ(PixelAt(*dib, 3, 1), (Bgra{0, 125, 125, 128})); // half transparent, premultiplied
    EXPECT_EQ(PixelAt(*dib, 4, 2), (Bgra{0, 0, 0, 0}));
}

TEST_F(GdiplusPng, NarrowPaletteDepthsAreReportedAsTheirFormats) {
    const std::vector<Rgba> two = {{0, 0, 0, 255}, {255, 255, 255, 255}};
    const auto oneBit = DecodeOk(EncodeIndexedPng(13, 3, Stripes(13, 3, 2), two, 1));
    EXPECT_EQ(FormatOf(oneBit->handle), PixelFormat1bppIndexed);
    const auto fourBit = DecodeOk(EncodeIndexedPng(7, 3, Stripes(7, 3, kPalette.size()), kPalette, 4));
    EXPECT_EQ(FormatOf(fourBit->handle), PixelFormat4bppIndexed);
    const Dib dib = MakeDib(oneBit->handle);
    ASSERT_TRUE(dib);
    EXPECT_EQ(PixelAt(*dib, 11, 2), (Bgra{255, 255, 255, 255}));
    EXPECT_EQ(PixelAt(*dib, 12, 2), (Bgra{0, 0, 0, 255}));
}

TEST_F(GdiplusPng, AlphaPngIs32BitArgbAndComposesOverTheBackground) {
    const std::vector<Rgba> pixels = {
        {255, 0, 0, 255}, {0, 255, 0, 0}, {0, 0, 255, 128}, {255, 255, 255, 255}};
    const auto image = DecodeOk(EncodeRgbaPng(2, 2, pixels));
    EXPECT_EQ(FormatOf(image->handle), PixelFormat32bppARGB);

    const Dib overTransparentBlack = MakeDib(image->handle, 0x00000000);
    ASSERT_TRUE(overTransparentBlack);
    EXPECT_EQ(PixelAt(*overTransparentBlack, 0, 0), (Bgra{0, 0, 255, 255}));
    EXPECT_EQ(PixelAt(*overTransparentBlack, 1, 0), (Bgra{0, 0, 0, 0}));
    EXPECT_EQ(PixelAt(*overTransparentBlack, 0, 1), (Bgra{128, 0, 0, 128}));

    const Dib overWhite = MakeDib(image->handle, 0xFFFFFFFF);
    ASSERT_TRUE(overWhite);
    EXPECT_EQ(PixelAt(*overWhite, 1, 0), (Bgra{255, 255, 255, 255}));
    EXPECT_EQ(PixelAt(*overWhite, 0, 1), (Bgra{255, 127, 127, 255}));
}

class GdiplusBmp : public GdiplusModuleTest {
  protected:
    // Every pixel of the handle equals the picture, opaque.
    static ::testing::AssertionResult Shows(const GdiBitmap& dib, const RgbPicture& picture) {
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x) {
                const Rgb want = picture.At(x, y);
                if (PixelAt(dib, x, y) != Bgra{want.b, want.g, want.r, 255})
                    return ::testing::AssertionFailure() << "differs at (" << x << ", " << y << ")";
            }
        return ::testing::AssertionSuccess();
    }
};

TEST_F(GdiplusBmp, TrueColourBitmapsDecodeExactly) {
    const RgbPicture picture = ColourBlocks(70, 40); // 70 * 3 bytes needs row padding
    for (const bool topDown : {false, true}) {
        const auto image = DecodeOk(EncodeBmp(picture, 24, topDown));
        EXPECT_EQ(FormatOf(image->handle), PixelFormat24bppRGB);
        const Dib dib = MakeDib(image->handle);
        ASSERT_TRUE(dib);
        EXPECT_TRUE(Shows(*dib, picture)) << (topDown ? "top-down" : "bottom-up");
    }
    // The fourth byte of a plain 32-bit bitmap is not alpha.
    const auto image32 = DecodeOk(EncodeBmp(picture, 32));
    EXPECT_EQ(FormatOf(image32->handle), PixelFormat32bppRGB);
    const Dib dib32 = MakeDib(image32->handle);
    ASSERT_TRUE(dib32);
    EXPECT_TRUE(Shows(*dib32, picture));
}

TEST_F(GdiplusBmp, IndexedBitmapKeepsItsPalette) {
    const std::vector<Rgb> palette = {{1, 2, 3}, {250, 0, 0}, {0, 0, 250}};
    const auto image = DecodeOk(EncodeIndexedBmp(5, 3, Stripes(5, 3, palette.size()), palette));
    EXPECT_EQ(FormatOf(image->handle), PixelFormat8bppIndexed);
    EXPECT_EQ(PaletteOf(image->handle), (std::vector<ARGB>{0xFF010203u, 0xFFFA0000u, 0xFF0000FAu}));
    const Dib dib = MakeDib(image->handle);
    ASSERT_TRUE(dib);
    EXPECT_EQ(PixelAt(*dib, 4, 0), (Bgra{0, 0, 250, 255}));
}

TEST_F(GdiplusBmp, SixteenBitFieldsScaleToFullRange) {
    const RgbPicture picture = ColourBlocks(33, 33);
    const auto image = DecodeOk(EncodeRgb565Bmp(picture));
    EXPECT_EQ(FormatOf(image->handle), PixelFormat16bppRGB565);
    const Dib dib = MakeDib(image->handle);
    ASSERT_TRUE(dib);
    EXPECT_TRUE(Shows(*dib, picture)); // the block colours are all 0 or 255
}

} // namespace
} // namespace kamsel::testimages

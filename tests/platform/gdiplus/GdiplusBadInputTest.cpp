// Whatever bytes arrive, the module answers with a status: no crash, no read
// outside the input, no image when the status is not Ok.

#include "GdiplusModuleFixture.h"

#include <random>
#include <zlib.h>

namespace kamsel::testimages {
namespace {

using namespace gdiplus;

void Put32BigEndian(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

// A PNG whose header claims width x height, with a valid header checksum.
Bytes PngClaiming(std::uint32_t width, std::uint32_t height) {
    Bytes png = EncodeRgbaPng(1, 1, {{1, 2, 3, 4}});
    Put32BigEndian(png, 16, width); // IHDR data starts after signature, length and type
    Put32BigEndian(png, 20, height);
    Put32BigEndian(png, 29, static_cast<std::uint32_t>(crc32(0, png.data() + 12, 17)));
    return png;
}

// A JPEG whose frame header claims width x height.
Bytes JpegClaiming(std::uint16_t width, std::uint16_t height) {
    Bytes jpeg = EncodeJpeg(ColourBlocks(16, 16));
    for (std::size_t at = 2; at + 9 < jpeg.size(); ++at)
        if (jpeg[at] == 0xFF && jpeg[at + 1] == 0xC0) {
            jpeg[at + 5] = static_cast<std::uint8_t>(height >> 8);
            jpeg[at + 6] = static_cast<std::uint8_t>(height);
            jpeg[at + 7] = static_cast<std::uint8_t>(width >> 8);
            jpeg[at + 8] = static_cast<std::uint8_t>(width);
            return jpeg;
        }
    ADD_FAILURE() << "no frame header in the test JPEG";
    return jpeg;
}

class GdiplusBadInput : public GdiplusModuleTest {
  protected:
    // Decodes bytes; on Ok the image must be whole and usable.
    Status DecodeAny(const Bytes& bytes) {
        GpBitmap* image = reinterpret_cast<GpBitmap*>(0x1);
        const Status status = Decode(bytes, &image);
        if (status != Ok) {
            EXPECT_EQ(image, nullptr);
            return status;
        }
        REAL width = 0, height = 0;
        EXPECT_EQ(api_.GetImageDimension(image, &width, &height), Ok);
        const Dib dib = MakeDib(image);
        EXPECT_TRUE(dib && dib->bmWidth == static_cast<int>(width) &&
                    dib->bmHeight == static_cast<int>(height));
        EXPECT_EQ(api_.DisposeImage(image), Ok);
        return status;
    }
};

TEST_F(GdiplusBadInput, RandomBytesAreRefused) {
    std::mt19937 random(20240601);
    EXPECT_EQ(DecodeAny({}), UnknownImageFormat);
    for (int round = 0; round < 200; ++round) {
        Bytes bytes(random() % 2048);
        for (auto& b : bytes)
            b = static_cast<std::uint8_t>(random());
        EXPECT_NE(DecodeAny(bytes), Ok) << "round " << round;
    }
}

TEST_F(GdiplusBadInput, DamagedImagesNeverBreakTheModule) {
    const std::vector<Bytes> originals = {
        EncodeJpeg(ColourBlocks(48, 32)),
        EncodeJpeg(ColourBlocks(48, 32), {.progressive = true}),
        EncodeIndexedPng(9, 9, std::vector<std::uint8_t>(81, 1), {{1, 2, 3, 4}, {5, 6, 7, 8}}),
        EncodeRgbaPng(3, 5, std::vector<Rgba>(15, {9, 8, 7, 6})),
        EncodeBmp(ColourBlocks(7, 5), 24),
        EncodeIndexedBmp(6, 4, std::vector<std::uint8_t>(24, 2), {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}})};
    std::mt19937 random(77);
    for (const Bytes& original : originals) {
        for (std::size_t length = 0; length < original.size(); length += 1 + original.size() / 40)
            DecodeAny(Bytes(original.begin(), original.begin() + static_cast<std::ptrdiff_t>(length)));
        for (int round = 0; round < 100; ++round) {
            Bytes damaged = original;
            for (int flips = 0; flips < 4; ++flips)
                damaged[random() % damaged.size()] ^= static_cast<std::uint8_t>(1u << (random() % 8));
            DecodeAny(damaged);
        }
    }
}

TEST_F(GdiplusBadInput, AbsurdSizesAreRefusedBeforeDecoding) {
    EXPECT_EQ(DecodeAny(JpegClaiming(65000, 65000)), ValueOverflow);
    EXPECT_EQ(DecodeAny(JpegClaiming(16384, 16384)), ValueOverflow); // each side fits, the area does not
    EXPECT_EQ(DecodeAny(PngClaiming(16384, 16384)), ValueOverflow);
    EXPECT_NE(DecodeAny(PngClaiming(1u << 30, 1)), Ok);

    Bytes bmp = EncodeBmp(ColourBlocks(4, 4), 24);
    bmp[18] = 0x20; // width 20000 = 0x4E20
    bmp[19] = 0x4E;
    EXPECT_EQ(DecodeAny(bmp), ValueOverflow);
}

TEST_F(GdiplusBadInput, AFailingStreamIsAFailure) {
    const auto stream = com::MakeComObject<TestStream>(EncodeJpeg(ColourBlocks(16, 16)));
    stream->FailReads();
    GpBitmap* image = reinterpret_cast<GpBitmap*>(0x1);
    EXPECT_EQ(api_.CreateBitmapFromStream(stream.Get(), &image), GenericError);
    EXPECT_EQ(image, nullptr);
}

} // namespace
} // namespace kamsel::testimages

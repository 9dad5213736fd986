#include "JpegTestFrames.h"

#include "frames/JpegImage.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace kamsel::frames {
namespace {

using test::EncodeJpeg;
using test::Subsampling;

std::vector<std::uint8_t> QuadrantFrame(Subsampling s, int width = 64, int height = 48) {
    return EncodeJpeg(width, height, s,
                      [&](int x, int y, std::uint8_t* bgr) { test::Quadrants(width, height, x, y, bgr); });
}

// Checks the middle of each quadrant: red, green, blue, white.
void ExpectQuadrants(const Bitmap24& b) {
    const int w = b.Width(), h = b.Height();
    struct Probe {
        int x, y, blue, green, red;
    };
    const Probe probes[] = {{w / 4, h / 4, 0, 0, 255},
                            {3 * w / 4, h / 4, 0, 255, 0},
                            {w / 4, 3 * h / 4, 255, 0, 0},
                            {3 * w / 4, 3 * h / 4, 255, 255, 255}};
    for (const Probe& p : probes) {
        const std::uint8_t* px = b.ScanLine(p.y) + p.x * 3;
        EXPECT_NEAR(px[0], p.blue, 8) << p.x << "," << p.y;
        EXPECT_NEAR(px[1], p.green, 8) << p.x << "," << p.y;
        EXPECT_NEAR(px[2], p.red, 8) << p.x << "," << p.y;
    }
}

bool SamePicture(const Bitmap24& a, const Bitmap24& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return false;
    for (int y = 0; y < a.Height(); ++y)
        if (std::memcmp(a.ScanLine(y), b.ScanLine(y), std::size_t(a.Width()) * 3) != 0)
            return false;
    return true;
}

TEST(JpegImage, DecodesEverySubsamplingInTrueColours) {
    JpegImage image;
    for (Subsampling s : {Subsampling::S444, Subsampling::S422, Subsampling::S420}) {
        const auto jpeg = QuadrantFrame(s);
        image.Load(jpeg.data(), jpeg.size());
        ASSERT_EQ(image.Width(), 64);
        ASSERT_EQ(image.Height(), 48);
        EXPECT_EQ(image.Picture().Format(), PixelFormat::Bits24);
        ExpectQuadrants(image.Picture());
    }
}

TEST(JpegImage, CameraFramesWithoutHuffmanTablesOrWithTrailingBytes) {
    for (Subsampling s : {Subsampling::S422, Subsampling::S420}) {
        const auto jpeg = QuadrantFrame(s, 96, 64);
        JpegImage reference;
        reference.Load(jpeg.data(), jpeg.size());

        const auto stripped = test::StripHuffmanTables(jpeg);
        ASSERT_LT(stripped.size(), jpeg.size());
        JpegImage noTables;
        noTables.Load(stripped.data(), stripped.size());
        EXPECT_TRUE(SamePicture(noTables.Picture(), reference.Picture()));

        // A camera buffer is larger than its image: the rest is leftovers.
        auto padded = stripped;
        padded.resize(padded.size() + 5000, 0xAB);
        JpegImage withTail;
        withTail.Load(padded.data(), padded.size());
        EXPECT_TRUE(SamePicture(withTail.Picture(), reference.Picture()));
    }
}

TEST(JpegImage, RejectsNonJpegAndRecovers) {
    JpegImage image;
    const std::vector<std::uint8_t> garbage(300, 0x42);
    EXPECT_THROW(image.Load(garbage.data(), garbage.size()), JpegError);
    EXPECT_TRUE(image.Empty());
    EXPECT_THROW(image.Load(garbage.data(), 0), JpegError);

    // A cut-off frame still gives a picture of the full size (the missing
    // part filled), not an error.
    const auto jpeg = QuadrantFrame(Subsampling::S420);
    std::size_t scan = jpeg.size() - 2;
    while (scan > 0 && !(jpeg[scan] == 0xFF && jpeg[scan + 1] == 0xDA))
        --scan;
    const std::size_t cut = scan + (jpeg.size() - scan) / 2;
    EXPECT_NO_THROW(image.Load(jpeg.data(), cut));
    EXPECT_EQ(image.Width(), 64);

    // The same object decodes the next good frame.
    image.Load(jpeg.data(), jpeg.size());
    ExpectQuadrants(image.Picture());
}

TEST(JpegImage, LoadsFromTheStreamPositionAndDrawsAtAPoint) {
    const auto jpeg = QuadrantFrame(Subsampling::S420, 16, 16);
    MemoryStream stream;
    stream.Write("xyz", 3);
    stream.Write(jpeg.data(), jpeg.size());
    stream.SetPosition(3);
    JpegImage image;
    image.LoadFromStream(stream);
    EXPECT_EQ(stream.Position(), stream.Size());
    ASSERT_EQ(image.Width(), 16);

    Bitmap24 target(20, 20);
    image.Draw(target.GetCanvas(), 10, 10);          // clipped to 10 x 10
    EXPECT_EQ(target.ScanLine(5)[5 * 3], 0);         // untouched, black
    EXPECT_GT(target.ScanLine(12)[12 * 3 + 2], 240); // red quadrant
    EXPECT_GT(target.ScanLine(19)[19 * 3 + 1], 240); // green quadrant
}

} // namespace
} // namespace kamsel::frames

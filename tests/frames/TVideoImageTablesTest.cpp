#include "frames/TVideoImage.h"
#include "platform/media/YuvConverter.h"
#include "tests/frames/TVideoImageTestPeer.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace kamsel::frames {
namespace {

using media::YuvConverter;
using media::YuvTerm;

TEST(TVideoImageTables, BuiltOnceWithTheirExactValues) {
    TVideoImage image;
    EXPECT_FALSE(TVideoImageTestPeer::TablesReady(image));
    image.InitYUVTables();
    ASSERT_TRUE(TVideoImageTestPeer::TablesReady(image));
    // The three entries that fall exactly on a half go to the even neighbour.
    EXPECT_EQ(TVideoImageTestPeer::TableY(image)[250], 74520);
    EXPECT_EQ(TVideoImageTestPeer::TableUB(image)[193], 28798);
    EXPECT_EQ(TVideoImageTestPeer::TableVR(image)[172], 13208);
    EXPECT_EQ(TVideoImageTestPeer::TableY(image)[16], 4769);
    EXPECT_EQ(TVideoImageTestPeer::TableUB(image)[0], -70870);
    EXPECT_EQ(TVideoImageTestPeer::TableUB(image)[128], -4769);
    EXPECT_EQ(TVideoImageTestPeer::TableUG(image)[128], -12837);
    EXPECT_EQ(TVideoImageTestPeer::TableVR(image)[128], -4769);
    EXPECT_EQ(TVideoImageTestPeer::TableVG(image)[0], 34707);
    EXPECT_EQ(TVideoImageTestPeer::TableVG(image)[128], 8068);
    EXPECT_EQ(TVideoImageTestPeer::TableY(image)[255], 76011);
    EXPECT_EQ(TVideoImageTestPeer::TableUB(image)[255], 60815);

    // A second call leaves them as they are.
    TVideoImageTestPeer::TableY(image)[0] = 12345;
    image.InitYUVTables();
    EXPECT_EQ(TVideoImageTestPeer::TableY(image)[0], 12345);
}

TEST(TVideoImageTables, ClipTableSaturatesToAByte) {
    TVideoImage image;
    image.InitYUVTables();
    const auto clip = [&](int k) {
        return TVideoImageTestPeer::ClipTable(image)[std::size_t(k + TVideoImage::kClipZero)];
    };
    EXPECT_EQ(clip(-1023), 0);
    EXPECT_EQ(clip(-1), 0);
    EXPECT_EQ(clip(0), 0);
    EXPECT_EQ(clip(77), 77);
    EXPECT_EQ(clip(255), 255);
    EXPECT_EQ(clip(256), 255);
    EXPECT_EQ(clip(1023), 255);
}

TEST(TVideoImageTables, EveryEntryIsTheNearestIntegerOfItsExactValue) {
    // Independent of the integer method: the table value is within half a
    // unit of the decimal value, computed here in units of 1/1000.
    struct Term {
        YuvTerm term;
        long long a, b;
    };
    const std::array<Term, 5> terms{{{YuvTerm::Y, 298082, 0},
                                     {YuvTerm::UG, -100291, 0},
                                     {YuvTerm::UB, 516412, -70870016},
                                     {YuvTerm::VR, 408583, -57067776},
                                     {YuvTerm::VG, -208120, 34707456}}};
    for (const Term& t : terms)
        for (int i = 0; i < 256; ++i) {
            const long long exact = t.a * i + t.b;
            const long long diff = 1000LL * YuvConverter::TermValue(t.term, i) - exact;
            ASSERT_LE(diff, 500) << i;
            ASSERT_GE(diff, -500) << i;
        }
}

// Decodes one 2 x 1 YUY2 sample and returns its first pixel.
std::array<int, 3> Colour(TVideoImage& image, std::uint8_t y, std::uint8_t u, std::uint8_t v) {
    const std::array<std::uint8_t, 4> sample{y, u, y, v};
    TVideoImageTestPeer::FrameDecoded(image) = false;
    image.UnpackFrame(4, sample.data());
    const std::uint8_t* p = TVideoImageTestPeer::FrameBitmap(image).ScanLine(0);
    return {p[0], p[1], p[2]};
}

TEST(TVideoImageTables, ColoursOfTheWorkedExamples) {
    TVideoImage image;
    image.VideoWidth = 2;
    image.VideoHeight = 1;
    image.VideoFourCC = FourCC("YUY2");
    TVideoImageTestPeer::FrameBitmap(image).SetSize(2, 1);
    using C = std::array<int, 3>; // blue, green, red
    EXPECT_EQ(Colour(image, 16, 128, 128), (C{0, 0, 0}));
    EXPECT_EQ(Colour(image, 235, 128, 128), (C{255, 255, 255}));
    EXPECT_EQ(Colour(image, 128, 128, 128), (C{130, 130, 130}));
    EXPECT_EQ(Colour(image, 81, 90, 240), (C{0, 0, 254}));
    EXPECT_EQ(Colour(image, 145, 54, 34), (C{0, 255, 0}));
    EXPECT_EQ(Colour(image, 41, 240, 110), (C{255, 0, 0}));
    EXPECT_EQ(Colour(image, 0, 0, 0), (C{0, 135, 0}));
}

} // namespace
} // namespace kamsel::frames

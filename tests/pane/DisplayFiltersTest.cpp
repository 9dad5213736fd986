#include "pane/DisplayFilters.h"
#include "platform/media/DifferenceMap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <random>

namespace kamsel::pane {
namespace {

using frames::Bitmap24;

// A 24-bit bitmap of one byte value.
struct Filled : Bitmap24 {
    Filled(int width, int height, std::uint8_t value) : Bitmap24(width, height) {
        for (int r = 0; r < height; ++r)
            std::fill_n(ScanLine(r), 3 * width, value);
    }
};

struct Random : Bitmap24 {
    Random(int width, int height, std::mt19937& random) : Bitmap24(width, height) {
        std::uniform_int_distribution<int> byte(0, 255);
        for (int r = 0; r < height; ++r)
            for (int i = 0; i < 3 * width; ++i)
                ScanLine(r)[i] = static_cast<std::uint8_t>(byte(random));
    }
};

using Table = std::array<std::uint8_t, 511>;

// The map as the table defines it, byte for byte, with edges as given.
std::uint64_t ReferenceMap(const Bitmap24& c, const Bitmap24& p, const Table& table, Bitmap24& out) {
    std::uint64_t sum = 0;
    for (int r = 0; r < c.Height(); ++r)
        for (int i = 3; i <= 3 * c.Width() - 4; ++i) {
            const std::uint8_t* cr = c.ScanLine(r);
            const std::uint8_t* pr = p.ScanLine(r);
            const int sc = cr[i - 3] + 2 * cr[i] + cr[i + 3];
            const int sp = pr[i - 3] + 2 * pr[i] + pr[i + 3];
            out.ScanLine(r)[i] = table[std::size_t((sc - sp) / 4 + 255)];
            sum += out.ScanLine(r)[i];
        }
    return sum;
}

// The table's shape; that the kernels' arithmetic gives every entry is held
// at compile time (DifferenceMap.h).
TEST(DiffTableTest, RampAndSymmetry) {
    constexpr Table table = media::DifferenceMap::Table();
    const auto at = [&](int d) { return table[std::size_t(d + 255)]; };
    EXPECT_EQ(at(47), 0);
    EXPECT_EQ(at(48), 0);
    EXPECT_EQ(at(49), 4);
    EXPECT_EQ(at(111), 252);
    EXPECT_EQ(at(112), 255);
    EXPECT_EQ(at(255), 255);
    EXPECT_EQ(at(-60), 48);
    for (int d = -255; d <= 255; ++d)
        EXPECT_EQ(at(d), at(-d)) << d;
}

TEST(PixelFiltersTest, InvertAndGrayScale) {
    Bitmap24 source(4, 2);
    const std::uint8_t pixels[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}}; // B, G, R
    for (int x = 0; x < 4; ++x)
        std::copy_n(pixels[x], 3, source.ScanLine(0) + 3 * x);
    std::fill_n(source.ScanLine(1), 6, std::uint8_t{200});
    std::fill_n(source.ScanLine(1) + 6, 6, std::uint8_t{0});

    Bitmap24 gray(1, 1, frames::PixelFormat::Bits32);
    GrayScaleBitmap(source, gray);
    ASSERT_EQ(gray.Format(), frames::PixelFormat::Bits24);
    ASSERT_EQ(gray.Width(), 4);
    const int expected[4] = {99, 127, 27, 255}; // blue weighs 100, green 128, red 28
    for (int x = 0; x < 4; ++x)
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(gray.ScanLine(0)[3 * x + k], expected[x]) << x;

    Bitmap24 inverted;
    InvertBitmap(source, inverted);
    ASSERT_EQ(inverted.Height(), 2);
    EXPECT_EQ(inverted.ScanLine(1)[0], 55);
    EXPECT_EQ(inverted.ScanLine(1)[11], 255);
    EXPECT_EQ(inverted.ScanLine(0)[0], 0);

    // A target whose pixels another bitmap shares (the paint box keeps the
    // last picture) gets the new picture; the sharer keeps the old one.
    Bitmap24 shown;
    shown.Assign(inverted);
    InvertBitmap(gray, inverted);
    EXPECT_EQ(inverted.ScanLine(0)[0], 255 - 99);
    EXPECT_EQ(shown.ScanLine(1)[0], 55);
    shown.Assign(gray);
    GrayScaleBitmap(inverted, gray);
    EXPECT_EQ(gray.ScanLine(0)[0], (100 * 156 + 128 * 156 + 28 * 156) >> 8);
    EXPECT_EQ(shown.ScanLine(0)[0], 99);
}

TEST(DifferenceFilterTest, RatioAtItsBounds) {
    double ratio = -1;
    Bitmap24 map;
    DifferenceBitmap(Filled(8, 3, 90), Filled(8, 3, 90), ratio, map);
    EXPECT_EQ(ratio, 0.0);
    for (int r = 0; r < 3; ++r)
        for (int i = 3; i < 21; ++i)
            EXPECT_EQ(map.ScanLine(r)[i], 0);

    // Every compared byte maps to 255; the edge pixels count only below.
    DifferenceBitmap(Filled(4, 2, 255), Filled(4, 2, 0), ratio, map);
    EXPECT_DOUBLE_EQ(ratio, 0.5);

    for (int width : {1, 2}) {
        DifferenceBitmap(Filled(width, 2, 255), Filled(width, 2, 0), ratio, map);
        EXPECT_EQ(ratio, 0.0) << width;
        EXPECT_EQ(map.Width(), width);
    }
}

TEST(DifferenceFilterTest, MismatchedFramesGiveOnePixel) {
    double ratio = -1;
    Bitmap24 map(5, 5);
    Bitmap24 empty;
    DifferenceBitmap(Filled(6, 4, 1), empty, ratio, map);
    EXPECT_EQ(map.Width(), 1);
    EXPECT_EQ(map.Height(), 1);
    EXPECT_EQ(ratio, 0.0);

    Filled wide(6, 4, 1);
    wide.SetFormat(frames::PixelFormat::Bits32);
    HighlightDifferences(wide, Filled(6, 4, 1), ratio, map);
    EXPECT_EQ(map.Width(), 1);
    EXPECT_EQ(ratio, 0.0);
}

// Random frames of many widths, so that the vector loops' tails and the edge
// columns are covered: the map equals the table's, the edges keep what dest
// held, and the highlight is the map OR the current frame everywhere. The
// targets' pixels are shared with other bitmaps, which keep them.
TEST(DifferenceFilterTest, EqualsTheTableOnRandomFrames) {
    constexpr Table table = media::DifferenceMap::Table();
    std::mt19937 random(7);
    for (int width : {1, 2, 3, 4, 5, 17, 33, 64, 67, 131}) {
        const int height = 3;
        const Random current(width, height, random);
        Random previous(width, height, random);
        // Mostly small changes, so every part of the ramp is hit.
        for (int r = 0; r < height; ++r)
            for (int i = 0; i < 3 * width; i += 2)
                previous.ScanLine(r)[i] = static_cast<std::uint8_t>(
                    std::clamp(current.ScanLine(r)[i] + static_cast<int>(random() % 160) - 80, 0, 255));

        Filled expected(width, height, 0x11);
        const std::uint64_t sum = ReferenceMap(current, previous, table, expected);
        const double expectedRatio = double(sum) / (3.0 * width * height * 255.0);

        Filled map(width, height, 0x11);
        Bitmap24 shownMap;
        shownMap.Assign(map);
        double ratio = -1;
        DifferenceBitmap(current, previous, ratio, map);
        EXPECT_DOUBLE_EQ(ratio, expectedRatio) << width;

        Filled lifted(width, height, 0x11);
        Bitmap24 shownLifted;
        shownLifted.Assign(lifted);
        double liftedRatio = -1;
        HighlightDifferences(current, previous, liftedRatio, lifted);
        EXPECT_DOUBLE_EQ(liftedRatio, expectedRatio) << width;

        for (int r = 0; r < height; ++r)
            for (int i = 0; i < 3 * width; ++i) {
                ASSERT_EQ(map.ScanLine(r)[i], expected.ScanLine(r)[i]) << width << " " << r << " " << i;
                ASSERT_EQ(lifted.ScanLine(r)[i], expected.ScanLine(r)[i] | current.ScanLine(r)[i])
                    << width << " " << r << " " << i;
                ASSERT_EQ(shownMap.ScanLine(r)[i], 0x11);
                ASSERT_EQ(shownLifted.ScanLine(r)[i], 0x11);
            }
    }
}

} // namespace
} // namespace kamsel::pane

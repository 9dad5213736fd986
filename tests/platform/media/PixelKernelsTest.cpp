#include "platform/media/PixelKernels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace kamsel::media {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Every level this machine runs, the plain one included.
std::vector<PixelKernels> RunnableLevels() {
    std::vector<PixelKernels> levels;
    for (CpuLevel level :
         {CpuLevel::Plain, CpuLevel::Sse2, CpuLevel::Ssse3, CpuLevel::Avx2, CpuLevel::Avx512})
        if (CpuLevelRuns(level))
            levels.push_back(PixelKernels::For(level));
    return levels;
}

Bytes RandomBytes(std::size_t n, std::mt19937& random) {
    Bytes bytes(n);
    for (std::uint8_t& b : bytes)
        b = std::uint8_t(random());
    return bytes;
}

// previous as current with mostly small changes, so that every part of the
// difference map's ramp is hit.
Bytes Nearby(const Bytes& current, std::mt19937& random) {
    Bytes previous = current;
    for (std::uint8_t& b : previous)
        b = std::uint8_t(std::clamp(b + int(random() % 160) - 80, 0, 255));
    return previous;
}

// Output rows start filled and carry a guard byte past their end.
constexpr std::uint8_t kGuard = 0xEE;

// Each kernel of each level gives the plain kernel's bytes (and sums) on
// random rows of every width up to a few vector steps and of camera widths:
// the vector blocks, their tails and rows too short for a block. Inputs end at
// the end of their block, where a sanitizer sees an over-read; the guard byte
// catches an over-write.
TEST(PixelKernels, EveryLevelGivesThePlainBytesAtEveryWidth) {
    const PixelKernels plain = PixelKernels::For(CpuLevel::Plain);
    std::vector<int> widths;
    for (int w = 0; w <= 100; ++w)
        widths.push_back(w);
    for (int w : {127, 128, 129, 640, 1279, 1280, 1920, 1921})
        widths.push_back(w);
    std::mt19937 random(17);
    for (const PixelKernels& k : RunnableLevels()) {
        SCOPED_TRACE(CpuLevelName(k.Level));
        for (int w : widths) {
            SCOPED_TRACE("width " + std::to_string(w));
            const std::size_t n = std::size_t(w);
            const Bytes bgr = RandomBytes(3 * n, random), bgra = RandomBytes(4 * n, random);
            const auto rows = [&](PixelKernels::Rows kernel, PixelKernels::Rows reference, const Bytes& in,
                                  std::size_t outBytes, int count) {
                Bytes out(outBytes + 1, kGuard), expected(outBytes + 1, kGuard);
                kernel(in.data(), out.data(), count);
                reference(in.data(), expected.data(), count);
                return out == expected;
            };
            EXPECT_TRUE(rows(k.ExpandToOpaqueBgra, plain.ExpandToOpaqueBgra, bgr, 4 * n, w)) << "expand";
            EXPECT_TRUE(rows(k.DropAlpha, plain.DropAlpha, bgra, 3 * n, w)) << "drop alpha";
            EXPECT_TRUE(rows(k.InvertRow, plain.InvertRow, bgr, 3 * n, 3 * w)) << "invert";
            EXPECT_TRUE(rows(k.GrayRow, plain.GrayRow, bgr, 3 * n, w)) << "grey";

            // The map's rows are 6 bytes shorter than the pixel rows they read.
            if (w < 3)
                continue;
            const Bytes previous = Nearby(bgr, random);
            for (const auto& [kernel, reference] : {std::pair{k.DifferenceRow, plain.DifferenceRow},
                                                    std::pair{k.HighlightRow, plain.HighlightRow}}) {
                Bytes out(3 * n - 6 + 1, kGuard), expected(out);
                const std::uint32_t sum = kernel(bgr.data(), previous.data(), out.data(), int(3 * n - 6));
                EXPECT_EQ(sum, reference(bgr.data(), previous.data(), expected.data(), int(3 * n - 6)));
                EXPECT_EQ(out, expected) << (kernel == k.DifferenceRow ? "difference" : "highlight");
            }
        }
    }
}

// The grey value of every colour, through every level: the vector kernels'
// half weights must round as the plain sum / 256 does.
TEST(PixelKernels, GreyOfEveryColourAtEveryLevel) {
    constexpr int kPixels = 1 << 16; // one row per red value: all blue and green pairs
    Bytes row(3 * kPixels), out(3 * kPixels);
    for (const PixelKernels& k : RunnableLevels())
        for (int red = 0; red < 256; ++red) {
            for (int i = 0; i < kPixels; ++i) {
                row[std::size_t(3 * i)] = std::uint8_t(i & 255);
                row[std::size_t(3 * i + 1)] = std::uint8_t(i >> 8);
                row[std::size_t(3 * i + 2)] = std::uint8_t(red);
            }
            k.GrayRow(row.data(), out.data(), kPixels);
            for (int i = 0; i < kPixels; ++i) {
                const int v = (100 * (i & 255) + 128 * (i >> 8) + 28 * red) >> 8;
                const std::uint8_t* p = out.data() + 3 * i;
                if (p[0] != v || p[1] != v || p[2] != v)
                    FAIL() << CpuLevelName(k.Level) << ": blue " << (i & 255) << " green " << (i >> 8)
                           << " red " << red << " gave " << int(p[0]) << " " << int(p[1]) << " " << int(p[2]);
            }
        }
}

// On this little-endian machine the expanded pixels are the toolkit's RGB32
// words: opaque, red highest, blue lowest; the fourth pixel is a tail at
// every level.
TEST(PixelKernels, ExpandedPixelsAreOpaqueRgb32Words) {
    const std::uint8_t bgr[] = {0x01, 0x02, 0x03, 0xff, 0x00, 0x80, 0x10, 0x20, 0x30, 0xaa, 0xbb, 0xcc};
    for (const PixelKernels& k : RunnableLevels()) {
        std::uint32_t words[4] = {};
        k.ExpandToOpaqueBgra(bgr, reinterpret_cast<std::uint8_t*>(words), 4);
        EXPECT_EQ(words[0], 0xff030201u) << CpuLevelName(k.Level);
        EXPECT_EQ(words[1], 0xff8000ffu) << CpuLevelName(k.Level);
        EXPECT_EQ(words[2], 0xff302010u) << CpuLevelName(k.Level);
        EXPECT_EQ(words[3], 0xffccbbaau) << CpuLevelName(k.Level);
    }
}

} // namespace
} // namespace kamsel::media

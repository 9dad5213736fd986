#include "platform/media/PixelRows.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace kamsel::media {
namespace {

// Rows of every length from 0 to 40 pixels, in buffers of exactly their size
// plus one guard byte: both directions agree with the plain loops, add an
// opaque alpha, drop it again, and write nothing past the row.
TEST(PixelRows, BothDirectionsAtEveryLengthMatchThePlainLoops) {
    std::mt19937 random(9);
    for (int pixels = 0; pixels <= 40; ++pixels) {
        const std::size_t n = std::size_t(pixels);
        std::vector<std::uint8_t> bgr(3 * n), bgra(4 * n);
        for (auto& b : bgr)
            b = std::uint8_t(random());
        for (auto& b : bgra)
            b = std::uint8_t(random());

        std::vector<std::uint8_t> expanded(4 * n + 1, 0xEE), expandedRef(4 * n + 1, 0xEE);
        PixelRows::ExpandToOpaqueBgra(bgr.data(), expanded.data(), pixels);
        PixelRows::ExpandToOpaqueBgraScalar(bgr.data(), expandedRef.data(), pixels);
        EXPECT_EQ(expanded, expandedRef) << pixels << " pixels";
        for (std::size_t i = 0; i < n; ++i)
            ASSERT_EQ(expanded[4 * i + 3], 255) << "alpha of pixel " << i << " of " << pixels;

        std::vector<std::uint8_t> dropped(3 * n + 1, 0xEE), droppedRef(3 * n + 1, 0xEE);
        PixelRows::DropAlpha(bgra.data(), dropped.data(), pixels);
        PixelRows::DropAlphaScalar(bgra.data(), droppedRef.data(), pixels);
        EXPECT_EQ(dropped, droppedRef) << pixels << " pixels";

        std::vector<std::uint8_t> back(3 * n + 1, 0xEE);
        PixelRows::DropAlpha(expanded.data(), back.data(), pixels);
        back.pop_back();
        EXPECT_EQ(back, bgr) << "round trip of " << pixels << " pixels";
        EXPECT_EQ(expanded.back(), 0xEE);
        EXPECT_EQ(dropped.back(), 0xEE);
    }
}

} // namespace
} // namespace kamsel::media

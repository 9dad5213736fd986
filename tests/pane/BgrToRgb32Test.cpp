#include "pane/BgrToRgb32.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace kamsel::pane {
namespace {

using Row = void (*)(const std::uint8_t*, std::uint32_t*, int);

TEST(BgrToRgb32, PlainGivesOpaqueWordsWithRedHighestAndBlueLowest) {
    const std::uint8_t bgr[] = {0x01, 0x02, 0x03, 0xff, 0x00, 0x80, 0x10, 0x20,
                                0x30, 0x40, 0x50, 0x60, 0xaa, 0xbb, 0xcc};
    std::uint32_t words[5] = {};
    BgrToRgb32Plain(bgr, words, 5);
    EXPECT_EQ(words[0], 0xff030201u);
    EXPECT_EQ(words[1], 0xff8000ffu);
    EXPECT_EQ(words[2], 0xff302010u);
    EXPECT_EQ(words[3], 0xff605040u);
    EXPECT_EQ(words[4], 0xffccbbaau); // the one-pixel tail
}

// Every version this processor runs gives the plain version's words for rows
// of every length up to a few vector steps and at every byte offset, writes
// nothing past the row's end and reads nothing past it (the source row ends
// at the end of its block, where a sanitizer sees an overrun).
TEST(BgrToRgb32, VectorVersionsAreExactAndStayInsideTheRow) {
    std::vector<std::pair<const char*, Row>> versions;
    if (BgrToRgb32HasSsse3())
        versions.emplace_back("ssse3", BgrToRgb32Ssse3);
    if (BgrToRgb32HasAvx2())
        versions.emplace_back("avx2", BgrToRgb32Avx2);
    versions.emplace_back("dispatch", BgrToRgb32);
    std::mt19937 random(11);
    for (int pixels = 0; pixels <= 100; ++pixels)
        for (int offset = 0; offset < 3; ++offset) {
            std::vector<std::uint8_t> block(std::size_t(offset + 3 * pixels));
            for (std::uint8_t& byte : block)
                byte = std::uint8_t(random());
            const std::uint8_t* row = block.data() + offset;
            std::vector<std::uint32_t> expected(std::size_t(pixels) + 1, 0x12345678u);
            BgrToRgb32Plain(row, expected.data(), pixels);
            for (const auto& [name, version] : versions) {
                std::vector<std::uint32_t> words(std::size_t(pixels) + 1, 0x12345678u);
                version(row, words.data(), pixels);
                ASSERT_EQ(words, expected) << name << ", " << pixels << " pixels at offset " << offset;
            }
        }
}

} // namespace
} // namespace kamsel::pane

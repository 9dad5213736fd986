#include "platform/virtualcam/JpegEncoder.h"
#include "platform/virtualcam/PatternScene.h"
#include "virtualcam/TestJpeg.h"

#include <gtest/gtest.h>

namespace kamsel::virtualcam {
namespace {

TEST(JpegEncoder, ImageTooLargeForTheBufferFailsWithoutWritingPastIt) {
    YuvImage image;
    image.Resize(64, 48);
    PatternScene::DrawBackground(image);
    JpegEncoder encoder;
    std::vector<std::uint8_t> memory(4096, 0x5A);
    std::size_t used = 0;
    const auto status = encoder.Encode(image, std::span(memory).first(100), used);
    EXPECT_EQ(status.error, -ENOSPC);
    EXPECT_EQ(used, 0u);
    for (std::size_t i = 100; i < memory.size(); ++i)
        ASSERT_EQ(memory[i], 0x5A) << i;

    // The same compressor goes on working.
    ASSERT_TRUE(encoder.Encode(image, memory, used).Ok());
    const auto decoded = test::DecodeJpeg(std::span(memory).first(used));
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->width, 64);
    EXPECT_EQ(decoded->height, 48);
}

TEST(JpegEncoder, WidthsBetweenBlocksEncode) {
    // 40 columns: the last 16-pixel block is partly padding.
    YuvImage image;
    image.Resize(40, 10);
    image.FillRect(0, 0, 40, 10, YuvColor{200, 128, 128});
    JpegEncoder encoder;
    std::vector<std::uint8_t> memory(40 * 10 * 2 + 1024);
    std::size_t used = 0;
    ASSERT_TRUE(encoder.Encode(image, memory, used).Ok());
    const auto decoded = test::DecodeJpeg(std::span(memory).first(used));
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->width, 40);
    EXPECT_EQ(decoded->height, 10);
    // Full-range luma 200 is grey 200.
    EXPECT_NEAR(decoded->Pixel(39, 9)[1], 200, 4);
}

} // namespace
} // namespace kamsel::virtualcam

#include "platform/virtualcam/MjpegFileReader.h"
#include "platform/virtualcam/MemoryByteSource.h"
#include "virtualcam/TestJpeg.h"
#include "virtualcam/TestVideoFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace kamsel::virtualcam {
namespace {

using test::Bytes;
using ::testing::HasSubstr;

media::DeviceStatus OpenMjpeg(const Bytes& file, std::unique_ptr<MjpegFileReader>& reader) {
    return MjpegFileReader::Open(std::make_unique<MemoryByteSource>("clip.mjpeg", file), reader);
}

Bytes ReadFrame(MjpegFileReader& reader, std::size_t index) {
    Bytes buffer(reader.Mode().sampleSize, 0);
    std::size_t used = 0;
    const auto status = reader.ReadFrame(index, buffer, used);
    EXPECT_TRUE(status.Ok()) << status.message;
    buffer.resize(used);
    return buffer;
}

Bytes Segment(std::uint8_t marker, const Bytes& payload) {
    const std::size_t length = payload.size() + 2;
    const Bytes head = {0xFF, marker, static_cast<std::uint8_t>(length >> 8),
                        static_cast<std::uint8_t>(length)};
    return test::Concat({head, payload});
}

// A JPEG-shaped image: SOI, `extra` segments, a frame header of the given size,
// a scan header, `entropy` bytes and EOI. Not decodable, but every marker
// where a reader looks for one.
Bytes ShapedJpeg(int width, int height, const Bytes& entropy, const Bytes& extra = {}) {
    const auto w = static_cast<std::uint8_t>(width >> 8), wl = static_cast<std::uint8_t>(width);
    const auto h = static_cast<std::uint8_t>(height >> 8), hl = static_cast<std::uint8_t>(height);
    return test::Concat({{0xFF, 0xD8},
                         extra,
                         Segment(0xC0, {8, h, hl, w, wl, 1, 1, 0x11, 0}),
                         Segment(0xDA, {1, 1, 0, 0, 63, 0}),
                         entropy,
                         {0xFF, 0xD9}});
}

TEST(MjpegFileReader, SplitsConcatenatedImages) {
    const Bytes red = test::EncodeSolidJpeg(32, 16, 255, 0, 0);
    const Bytes green = test::EncodeSolidJpeg(32, 16, 0, 255, 0);
    const Bytes blue = test::EncodeSolidJpeg(32, 16, 0, 0, 255);
    std::unique_ptr<MjpegFileReader> reader;
    const auto status = OpenMjpeg(test::Concat({red, green, blue}), reader);
    ASSERT_TRUE(status.Ok()) << status.message;
    const media::VideoMode& mode = reader->Mode();
    EXPECT_EQ(mode.fourcc, media::FourCC("MJPG"));
    EXPECT_EQ(mode.width, 32);
    EXPECT_EQ(mode.height, 16);
    EXPECT_EQ(mode.frameInterval, 333'333);
    EXPECT_EQ(mode.sampleSize, std::max<std::size_t>({32 * 16 * 2, red.size(), green.size(), blue.size()}));
    ASSERT_EQ(reader->FrameCount(), 3u);
    EXPECT_EQ(ReadFrame(*reader, 0), red);
    EXPECT_EQ(ReadFrame(*reader, 1), green);
    EXPECT_EQ(ReadFrame(*reader, 2), blue);
}

TEST(MjpegFileReader, FollowsSegmentLengthsStuffedBytesAndRestarts) {
    // Marker-like bytes inside a segment, stuffed FF 00, restart markers and
    // fill bytes in the scan: none of them ends the image.
    const Bytes comment = Segment(0xFE, {0xFF, 0xD9, 0xFF, 0xD8, 'x'});
    const Bytes entropy = {0x12, 0xFF, 0x00, 0x34, 0xFF, 0xD3, 0x56, 0xFF, 0xFF, 0xD4, 0x78, 0xFF, 0xFF};
    const Bytes first = ShapedJpeg(16, 8, entropy, comment);
    const Bytes second = ShapedJpeg(16, 8, {0xFF, 0x00, 0xFF, 0x00});
    std::unique_ptr<MjpegFileReader> reader;
    const auto status = OpenMjpeg(test::Concat({first, second}), reader);
    ASSERT_TRUE(status.Ok()) << status.message;
    ASSERT_EQ(reader->FrameCount(), 2u);
    EXPECT_EQ(ReadFrame(*reader, 0), first);
    EXPECT_EQ(ReadFrame(*reader, 1), second);
}

TEST(MjpegFileReader, SkipsWhatIsNotAUsableImage) {
    const Bytes good = ShapedJpeg(16, 8, {1, 2, 3});
    const Bytes otherSize = ShapedJpeg(8, 8, {1, 2, 3});
    const Bytes nested = {0xFF, 0xD8, 0xFF, 0xD8};                // SOI inside an image
    const Bytes badLength = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x01}; // segment length below 2
    const Bytes pastEnd = {0xFF, 0xD8, 0xFF, 0xE0, 0xFF, 0xF0};   // segment beyond the file
    const Bytes noFrameHeader = test::Concat({{0xFF, 0xD8}, Segment(0xDA, {0}), {1, 0xFF, 0xD9}});
    const Bytes junk = {'j', 'u', 'n', 'k', 0xFF, 0x00, 0xFF};
    std::unique_ptr<MjpegFileReader> reader;
    const auto status = OpenMjpeg(test::Concat({junk, good, junk, otherSize, nested, good, badLength,
                                                noFrameHeader, good, pastEnd, good}),
                                  reader);
    ASSERT_TRUE(status.Ok()) << status.message;
    EXPECT_EQ(reader->Mode().width, 16);
    ASSERT_EQ(reader->FrameCount(), 4u);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(ReadFrame(*reader, i), good);
}

TEST(MjpegFileReader, TruncatedLastImageIsLeftOut) {
    const Bytes image = test::EncodeSolidJpeg(16, 16, 10, 20, 30);
    const Bytes half(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(image.size() / 2));
    std::unique_ptr<MjpegFileReader> reader;
    ASSERT_TRUE(OpenMjpeg(test::Concat({image, half}), reader).Ok());
    EXPECT_EQ(reader->FrameCount(), 1u);
}

TEST(MjpegFileReader, BufferHoldsTheLargestImage) {
    // A tiny picture whose JPEG is longer than width * height * 2.
    const Bytes image = test::EncodeSolidJpeg(4, 4, 200, 100, 50);
    ASSERT_GT(image.size(), 4u * 4 * 2);
    std::unique_ptr<MjpegFileReader> reader;
    ASSERT_TRUE(OpenMjpeg(image, reader).Ok());
    EXPECT_EQ(reader->Mode().sampleSize, image.size());
    const auto decoded = test::DecodeJpeg(ReadFrame(*reader, 0));
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->width, 4);
}

TEST(MjpegFileReader, RefusesFilesWithoutUsableImages) {
    const Bytes image = test::EncodeSolidJpeg(16, 16, 10, 20, 30);
    const std::vector<Bytes> files = {
        {},
        {'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'},
        Bytes(image.begin(), image.end() - 2),                                // no EOI
        ShapedJpeg(16, 0, {1}),                                               // height left to a DNL marker
        ShapedJpeg(20000, 8, {1}),                                            // beyond the largest size
        ShapedJpeg(16384, 16384, {1}),                                        // buffer beyond 256 MiB
        test::Concat({{0xFF, 0xD8}, Segment(0xC0, {8, 0, 8}), {0xFF, 0xD9}}), // short frame header
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(i);
        std::unique_ptr<MjpegFileReader> reader;
        const auto status = OpenMjpeg(files[i], reader);
        EXPECT_FALSE(status.Ok());
        EXPECT_THAT(status.message, HasSubstr("clip.mjpeg"));
        EXPECT_THAT(status.message, HasSubstr("no complete JPEG image"));
        EXPECT_EQ(reader, nullptr);
    }
}

TEST(MjpegFileReader, ReadFrameRefusesBadIndexAndShortBuffer) {
    const Bytes image = ShapedJpeg(16, 8, {1, 2, 3});
    std::unique_ptr<MjpegFileReader> reader;
    ASSERT_TRUE(OpenMjpeg(image, reader).Ok());
    Bytes buffer(image.size());
    std::size_t used = 0;
    EXPECT_FALSE(reader->ReadFrame(1, buffer, used).Ok());
    EXPECT_FALSE(reader->ReadFrame(0, std::span(buffer).first(image.size() - 1), used).Ok());
    EXPECT_EQ(used, 0u);
}

} // namespace
} // namespace kamsel::virtualcam

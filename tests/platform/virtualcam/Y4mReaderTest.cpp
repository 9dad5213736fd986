#include "platform/virtualcam/Y4mReader.h"
#include "platform/virtualcam/MemoryByteSource.h"
#include "virtualcam/TestVideoFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace kamsel::virtualcam {
namespace {

using test::Bytes;
using ::testing::HasSubstr;

media::DeviceStatus OpenY4m(const Bytes& file, std::unique_ptr<Y4mReader>& reader) {
    return Y4mReader::Open(std::make_unique<MemoryByteSource>("clip.y4m", file), reader);
}

Bytes ReadFrame(Y4mReader& reader, std::size_t index) {
    Bytes frame(reader.Mode().sampleSize, 0xEE);
    std::size_t used = 0;
    const auto status = reader.ReadFrame(index, frame, used);
    EXPECT_TRUE(status.Ok()) << status.message;
    EXPECT_EQ(used, frame.size());
    return frame;
}

TEST(Y4mReader, FourTwoZeroColourSpacesPlayAsI420) {
    for (const std::string colour : {"", " C420", " C420jpeg", " C420paldv", " C420mpeg2"}) {
        SCOPED_TRACE("colour space field '" + colour + "'");
        const Bytes first = test::Planes420(4, 2, 10, 20, 30);
        const Bytes second = test::Planes420(4, 2, 40, 50, 60);
        std::unique_ptr<Y4mReader> reader;
        const auto status = OpenY4m(test::Y4mFile("YUV4MPEG2 W4 H2 F25:1" + colour, {first, second}), reader);
        ASSERT_TRUE(status.Ok()) << status.message;
        const media::VideoMode& mode = reader->Mode();
        EXPECT_EQ(mode.fourcc, media::FourCC("I420"));
        EXPECT_EQ(mode.width, 4);
        EXPECT_EQ(mode.height, 2);
        EXPECT_EQ(mode.bitCount, 12);
        EXPECT_EQ(mode.sampleSize, 12u);
        EXPECT_EQ(mode.frameInterval, 400'000);
        ASSERT_EQ(reader->FrameCount(), 2u);
        EXPECT_EQ(ReadFrame(*reader, 0), first);
        EXPECT_EQ(ReadFrame(*reader, 1), second);
    }
}

TEST(Y4mReader, FourTwoTwoIsPackedToYuy2) {
    // 4x2 pixels: luma 1..8, blue difference 11..14 and red difference 21..24,
    // one chroma pair per two pixels of a row.
    const Bytes planes = {1, 2, 3, 4, 5, 6, 7, 8, 11, 12, 13, 14, 21, 22, 23, 24};
    std::unique_ptr<Y4mReader> reader;
    const auto status = OpenY4m(test::Y4mFile("YUV4MPEG2 W4 H2 F30:1 C422", {planes}), reader);
    ASSERT_TRUE(status.Ok()) << status.message;
    EXPECT_EQ(reader->Mode().fourcc, media::FourCC("YUY2"));
    EXPECT_EQ(reader->Mode().bitCount, 16);
    EXPECT_EQ(reader->Mode().sampleSize, 16u);
    const Bytes expected = {1, 11, 2, 21, 3, 12, 4, 22, 5, 13, 6, 23, 7, 14, 8, 24};
    EXPECT_EQ(ReadFrame(*reader, 0), expected);
}

TEST(Y4mReader, OptionalFieldsAndFrameParametersAreAccepted) {
    const Bytes frame = test::Planes420(2, 2, 1, 2, 3);
    std::unique_ptr<Y4mReader> reader;
    const auto status = OpenY4m(test::Y4mFile("YUV4MPEG2 W2  H2 F30000:1001 Ip A1:1 XYSCSS=420JPEG",
                                              {frame, frame}, "FRAME Ip XTAG=1"),
                                reader);
    ASSERT_TRUE(status.Ok()) << status.message;
    EXPECT_EQ(reader->Mode().frameInterval, 333'667);
    EXPECT_EQ(reader->FrameCount(), 2u);
    EXPECT_EQ(ReadFrame(*reader, 1), frame);
}

TEST(Y4mReader, MissingFrameRatePlaysAtThirty) {
    std::unique_ptr<Y4mReader> reader;
    ASSERT_TRUE(OpenY4m(test::Y4mFile("YUV4MPEG2 W2 H2", {test::Planes420(2, 2, 0, 0, 0)}), reader).Ok());
    EXPECT_EQ(reader->Mode().frameInterval, 333'333);
}

TEST(Y4mReader, TruncatedLastFrameIsLeftOut) {
    const Bytes complete = test::Y4mFile("YUV4MPEG2 W4 H2 F30:1",
                                         {test::Planes420(4, 2, 1, 2, 3), test::Planes420(4, 2, 4, 5, 6)});
    for (const Bytes& tail : {Bytes{'F', 'R', 'A'}, Bytes{'F', 'R', 'A', 'M', 'E', '\n', 9, 9, 9}}) {
        std::unique_ptr<Y4mReader> reader;
        const auto status = OpenY4m(test::Concat({complete, tail}), reader);
        ASSERT_TRUE(status.Ok()) << status.message;
        EXPECT_EQ(reader->FrameCount(), 2u);
    }
}

TEST(Y4mReader, RefusesMalformedFilesNamingThem) {
    const Bytes frame = test::Planes420(4, 2, 0, 0, 0);
    const std::string longLine = "YUV4MPEG2 W4 H2 X" + std::string(5000, 'x');
    struct Case {
        Bytes file;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {{}, "empty file"},
        {test::Y4mFile("RIFF W4 H2", {frame}), "not a YUV4MPEG2 file"},
        {test::Y4mFile("YUV4MPEG2X W4 H2", {frame}), "not a YUV4MPEG2 file"},
        {Bytes{'Y', 'U', 'V', '4', 'M', 'P', 'E', 'G', '2', ' ', 'W', '4'}, "incomplete"},
        {test::Y4mFile(longLine, {frame}), "too long"},
        {test::Y4mFile("YUV4MPEG2 Wabc H2", {frame}), "W is not a number"},
        {test::Y4mFile("YUV4MPEG2 W-4 H2", {frame}), "W is not a number"},
        {test::Y4mFile("YUV4MPEG2 W4 H99999999999", {frame}), "H is not a number"},
        {test::Y4mFile("YUV4MPEG2 W4", {frame}), "zero frame size"},
        {test::Y4mFile("YUV4MPEG2 W0 H2", {frame}), "zero frame size"},
        {test::Y4mFile("YUV4MPEG2 W16386 H2", {frame}), "too large"},
        {test::Y4mFile("YUV4MPEG2 W16384 H16384", {frame}), "too large"},
        {test::Y4mFile("YUV4MPEG2 W16384 H16384 C422", {frame}), "too large"},
        {test::Y4mFile("YUV4MPEG2 W3 H2", {frame}), "odd frame size"},
        {test::Y4mFile("YUV4MPEG2 W4 H2 F0:1", {frame}), "zero term"},
        {test::Y4mFile("YUV4MPEG2 W4 H2 F30", {frame}), "not a ratio"},
        {test::Y4mFile("YUV4MPEG2 W4 H2 Fx:y", {frame}), "not a ratio"},
        {test::Y4mFile("YUV4MPEG2 W4 H2 F1:1000", {frame}), "out of range"},
        {test::Y4mFile("YUV4MPEG2 W4 H2 C444", {frame}), "unsupported colour space"},
        {test::Y4mFile("YUV4MPEG2 W4 H2 Cmono", {frame}), "unsupported colour space"},
        {test::Y4mFile("YUV4MPEG2 W4 H2", {}), "no complete frame"},
        {test::Y4mFile("YUV4MPEG2 W4 H2", {frame}, "FRAMES"), "malformed frame header"},
        {test::Y4mFile("YUV4MPEG2 W4 H2", {frame}, "FRAME " + std::string(2000, 'x')),
         "malformed frame header"},
        // Largest accepted size: refused only for lack of a frame.
        {test::Y4mFile("YUV4MPEG2 W16384 H8192", {frame}), "no complete frame"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        std::unique_ptr<Y4mReader> reader;
        const auto status = OpenY4m(c.file, reader);
        EXPECT_FALSE(status.Ok());
        EXPECT_THAT(status.message, HasSubstr("clip.y4m"));
        EXPECT_THAT(status.message, HasSubstr(c.reason));
        EXPECT_EQ(reader, nullptr);
    }
}

TEST(Y4mReader, ReadFrameRefusesBadIndexAndShortBuffer) {
    std::unique_ptr<Y4mReader> reader;
    ASSERT_TRUE(OpenY4m(test::Y4mFile("YUV4MPEG2 W4 H2", {test::Planes420(4, 2, 0, 0, 0)}), reader).Ok());
    Bytes buffer(12);
    std::size_t used = 0;
    EXPECT_FALSE(reader->ReadFrame(1, buffer, used).Ok());
    EXPECT_FALSE(reader->ReadFrame(0, std::span(buffer).first(11), used).Ok());
    EXPECT_EQ(used, 0u);
}

} // namespace
} // namespace kamsel::virtualcam

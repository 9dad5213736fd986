#include "platform/virtualcam/FileCamera.h"
#include "virtualcam/FrameCollector.h"
#include "virtualcam/TempDir.h"
#include "virtualcam/TestJpeg.h"
#include "virtualcam/TestVideoFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

namespace kamsel::virtualcam {
namespace {

using Source = VirtualCameraDeclaration::Source;
using test::FrameCollector;
using ::testing::HasSubstr;

TEST(FileCameraStreaming, Y4mPlaysInALoop) {
    test::TempDir dir;
    const std::string path =
        dir.Write("clip.y4m", test::Y4mFile("YUV4MPEG2 W4 H2 F100:1 C420jpeg",
                                            {test::Planes420(4, 2, 10, 1, 2), test::Planes420(4, 2, 20, 1, 2),
                                             test::Planes420(4, 2, 30, 1, 2)}));
    FrameCollector sink; // outlives the stream
    FileCamera camera("Clip", path, Source::Y4mFile);
    ASSERT_TRUE(camera.Open().Ok());
    ASSERT_TRUE(camera.StartStreaming(sink).Ok());
    const bool arrived = sink.WaitForFrames(7);
    camera.StopStreaming();
    ASSERT_TRUE(arrived);
    const auto frames = sink.Frames();
    for (std::size_t i = 0; i < frames.size(); ++i) {
        ASSERT_EQ(frames[i].bytesUsed, 12u);
        ASSERT_EQ(frames[i].bytes.size(), 12u);
        EXPECT_EQ(frames[i].bytes[0], 10 * (i % 3 + 1)) << i;
    }
}

TEST(FileCameraStreaming, Y4m422PlaysAsYuy2) {
    test::TempDir dir;
    const std::string path = dir.Write(
        "clip.y4m", test::Y4mFile("YUV4MPEG2 W4 H2 F100:1 C422", {test::Planes422(4, 2, 50, 60, 70)}));
    FrameCollector sink; // outlives the stream
    FileCamera camera("Clip", path, Source::Y4mFile);
    ASSERT_TRUE(camera.Open().Ok());
    ASSERT_TRUE(camera.StartStreaming(sink).Ok());
    ASSERT_TRUE(sink.WaitForFrames(2));
    camera.StopStreaming();
    const std::vector<std::uint8_t> pairs = {50, 60, 50, 70, 50, 60, 50, 70, 50, 60, 50, 70, 50, 60, 50, 70};
    EXPECT_EQ(sink.Frames()[1].bytes, pairs);
}

TEST(FileCameraStreaming, MjpegPlaysInALoopInCameraSizedBuffers) {
    test::TempDir dir;
    const std::string path = dir.Write("clip.mjpg", test::Concat({test::EncodeSolidJpeg(32, 16, 255, 0, 0),
                                                                  test::EncodeSolidJpeg(32, 16, 0, 255, 0),
                                                                  test::EncodeSolidJpeg(32, 16, 0, 0, 255)}));
    FrameCollector sink; // outlives the stream
    FileCamera camera("Movie", path, Source::MjpegFile);
    ASSERT_TRUE(camera.Open().Ok());
    ASSERT_TRUE(camera.StartStreaming(sink).Ok());
    const bool arrived = sink.WaitForFrames(4);
    camera.StopStreaming();
    ASSERT_TRUE(arrived);
    const auto frames = sink.Frames();
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(frames[i].bytes.size(), 32u * 16 * 2);
        ASSERT_LT(frames[i].bytesUsed, frames[i].bytes.size());
        const auto image = test::DecodeJpeg(std::span(frames[i].bytes).first(frames[i].bytesUsed));
        ASSERT_TRUE(image.has_value());
        // Red, green, blue, red again: the strongest channel names the frame.
        const std::uint8_t* pixel = image->Pixel(16, 8);
        const auto strongest = std::max_element(pixel, pixel + 3) - pixel;
        EXPECT_EQ(static_cast<std::size_t>(strongest), i % 3);
    }
}

TEST(FileCameraStreaming, FileCutShortWhilePlayingEndsTheStream) {
    test::TempDir dir;
    const test::Bytes file = test::Y4mFile("YUV4MPEG2 W4 H2 F100:1",
                                           {test::Planes420(4, 2, 1, 2, 3), test::Planes420(4, 2, 4, 5, 6)});
    const std::string path = dir.Write("clip.y4m", file);
    FrameCollector sink; // outlives the stream
    FileCamera camera("Clip", path, Source::Y4mFile);
    ASSERT_TRUE(camera.Open().Ok());
    // Keep the header and the first frame ("FRAME\n" and 12 bytes each).
    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(file.size() - 18)), 0);
    ASSERT_TRUE(camera.StartStreaming(sink).Ok());
    ASSERT_TRUE(sink.WaitForEnd());
    camera.StopStreaming();
    EXPECT_EQ(sink.EndCalls(), 1);
    EXPECT_THAT(sink.EndStatus()->message, HasSubstr(path));
    EXPECT_THAT(sink.EndStatus()->message, HasSubstr("unexpected end of file"));
    // The first frame survived the cut, the second did not.
    EXPECT_EQ(sink.FrameCount(), 1u);
}

} // namespace
} // namespace kamsel::virtualcam

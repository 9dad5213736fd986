#include "platform/virtualcam/PatternCamera.h"
#include "virtualcam/FrameCollector.h"
#include "virtualcam/TestJpeg.h"

#include <gtest/gtest.h>

#include <thread>

namespace kamsel::virtualcam {
namespace {

using test::CollectedFrame;
using test::FrameCollector;

bool AllChromaNeutral(const CollectedFrame& frame) {
    for (std::size_t i = 1; i < frame.bytesUsed; i += 2) {
        if (frame.bytes[i] != 128)
            return false;
    }
    return true;
}

TEST(PatternCameraStreaming, OffersItsFormatsInOrderStartingWithYuy2Vga) {
    PatternCamera camera("Cam A");
    EXPECT_EQ(camera.SetMode(PatternCamera::OfferedModes()[1]).error, -EBADF);
    ASSERT_TRUE(camera.Open().Ok());
    const auto modes = camera.Modes();
    const std::vector<std::tuple<std::uint32_t, int, int>> expected = {
        {media::FourCC("YUY2"), 640, 480},   {media::FourCC("YUY2"), 1280, 720},
        {media::FourCC("YUY2"), 320, 240},   {media::FourCC("MJPG"), 640, 480},
        {media::FourCC("MJPG"), 1280, 720},  {media::FourCC("MJPG"), 1920, 1080},
        {media::FourCC("I420"), 640, 480},   {media::kFourCCRgb24, 320, 240},
        {media::FourCC("YUY2"), 1920, 1080}, {media::FourCC("I420"), 1280, 720},
        {media::FourCC("I420"), 1920, 1080},
    };
    ASSERT_EQ(modes.size(), expected.size());
    for (std::size_t i = 0; i < modes.size(); ++i) {
        EXPECT_EQ(std::make_tuple(modes[i].fourcc, modes[i].width, modes[i].height), expected[i]) << i;
        EXPECT_EQ(modes[i].frameInterval, 333'333);
    }
    EXPECT_EQ(camera.CurrentMode(), modes[0]);

    media::VideoMode wrongRate = modes[3];
    wrongRate.frameInterval = 666'666;
    EXPECT_EQ(camera.SetMode(wrongRate).error, -EINVAL);
    media::VideoMode notOffered = modes[0];
    notOffered.height = 360;
    EXPECT_EQ(camera.SetMode(notOffered).error, -EINVAL);
    EXPECT_EQ(camera.CurrentMode(), modes[0]);
}

TEST(PatternCameraStreaming, DeliversFramesOfEachFormatsSize) {
    PatternCamera camera("Cam A");
    ASSERT_TRUE(camera.Open().Ok());
    for (const media::VideoMode& mode : camera.Modes()) {
        SCOPED_TRACE(std::to_string(mode.width) + "x" + std::to_string(mode.height) + " " +
                     std::to_string(mode.fourcc));
        ASSERT_TRUE(camera.SetMode(mode).Ok());
        FrameCollector sink;
        ASSERT_TRUE(camera.StartStreaming(sink).Ok());
        const bool arrived = sink.WaitForFrames(2);
        camera.StopStreaming();
        ASSERT_TRUE(arrived);
        const auto pixels = static_cast<std::size_t>(mode.width) * static_cast<std::size_t>(mode.height);
        for (const CollectedFrame& frame : sink.Frames()) {
            ASSERT_EQ(frame.bytes.size(), mode.sampleSize);
            if (mode.fourcc == media::FourCC("MJPG")) {
                EXPECT_EQ(frame.bytes.size(), pixels * 2);
                ASSERT_LT(frame.bytesUsed, frame.bytes.size());
                const auto image = test::DecodeJpeg(std::span(frame.bytes).first(frame.bytesUsed));
                ASSERT_TRUE(image.has_value());
                EXPECT_EQ(image->width, mode.width);
                EXPECT_EQ(image->height, mode.height);
            } else {
                const std::size_t expected = mode.fourcc == media::FourCC("YUY2")   ? pixels * 2
                                             : mode.fourcc == media::FourCC("I420") ? pixels * 3 / 2
                                                                                    : pixels * 3;
                EXPECT_EQ(frame.bytesUsed, expected);
                EXPECT_EQ(frame.bytes.size(), expected);
            }
        }
    }
}

TEST(PatternCameraStreaming, StopsPromptlyAndStartsAgain) {
    // The sinks outlive the camera, whose destructor ends the second stream.
    FrameCollector sink;
    FrameCollector again;
    PatternCamera camera("Cam A");
    ASSERT_TRUE(camera.Open().Ok());
    ASSERT_TRUE(camera.StartStreaming(sink).Ok());
    EXPECT_EQ(camera.StartStreaming(sink).error, -EBUSY);
    EXPECT_EQ(camera.SetMode(camera.Modes()[2]).error, -EBUSY);
    ASSERT_TRUE(sink.WaitForFrames(3));
    camera.StopStreaming();
    const std::size_t delivered = sink.FrameCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(sink.FrameCount(), delivered);
    camera.StopStreaming();

    ASSERT_TRUE(camera.SetMode(camera.Modes()[2]).Ok());
    ASSERT_TRUE(camera.StartStreaming(again).Ok());
    ASSERT_TRUE(again.WaitForFrames(1));
    EXPECT_EQ(again.Frames()[0].bytesUsed, 320u * 240 * 2);
}

TEST(PatternCameraStreaming, ControlsSetWhileStreamingShowInTheFrames) {
    FrameCollector sink;
    PatternCamera camera("Cam A");
    ASSERT_TRUE(camera.Open().Ok());
    ASSERT_TRUE(camera.StartStreaming(sink).Ok());
    ASSERT_TRUE(sink.WaitForFrames(1));
    EXPECT_FALSE(AllChromaNeutral(sink.Frames()[0]));
    ASSERT_TRUE(camera.SetImageControl(media::ImageControl::ColorEnable, 0, media::kControlFlagsManual).Ok());
    EXPECT_TRUE(sink.WaitForFrameWhere(AllChromaNeutral));
    ASSERT_TRUE(camera.SetImageControl(media::ImageControl::ColorEnable, 1, media::kControlFlagsManual).Ok());
    EXPECT_TRUE(sink.WaitForFrameWhere([](const CollectedFrame& f) { return !AllChromaNeutral(f); }));
    camera.StopStreaming();
}

} // namespace
} // namespace kamsel::virtualcam

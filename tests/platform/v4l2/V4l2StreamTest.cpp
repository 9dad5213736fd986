#include "EmulatedDeviceTest.h"
#include "RecordingSink.h"
#include "platform/v4l2/V4l2Device.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <string>
#include <vector>

namespace kamsel::v4l2::testing {
namespace {

using media::FourCC;

class V4l2StreamTest : public EmulatedDeviceTest {
  protected:
    void SetUp() override { Start(TypicalCamera()); }

    void Use(std::uint32_t fourcc, int width, int height) {
        const media::DeviceStatus status = device_->SetMode({fourcc, width, height, 0, 0, 333333, 0, 0});
        ASSERT_TRUE(status.Ok()) << status.message;
    }

    void Script(const std::vector<FrameEvent>& events) {
        for (const FrameEvent& event : events)
            io_->Push(kPath, event);
    }

    void StartStreaming() {
        const media::DeviceStatus status = device_->StartStreaming(sink_);
        ASSERT_TRUE(status.Ok()) << status.message;
    }

    // Everything the stream took is given back; only the device's own descriptor stays.
    void ExpectAllGivenBack() {
        EXPECT_FALSE(io_->Streaming(kPath));
        EXPECT_EQ(io_->Mappings(), 0);
        EXPECT_EQ(io_->Buffers(kPath), 0u);
        EXPECT_EQ(io_->OpenDescriptors(), 1);
    }

    RecordingSink sink_;
};

TEST_F(V4l2StreamTest, FramesArriveWithTheBuffersCapacityAndTheDriversByteCount) {
    Use(FourCC("MJPG"), 640, 480);
    Script({FrameEvent::Frame(50000), FrameEvent::Frame(1000), FrameEvent::Frame(700)});

    StartStreaming();
    ASSERT_TRUE(sink_.WaitForFrames(3));
    device_->StopStreaming();

    const std::vector<RecordingSink::Frame> frames = sink_.Frames();
    ASSERT_EQ(frames.size(), 3u);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(frames[i].capacity, 640u * 480 * 2);
        // Each frame holds its own bytes, sequence number i.
        EXPECT_EQ(frames[i].bytes,
                  std::vector<std::uint8_t>(frames[i].bytes.size(), static_cast<std::uint8_t>(i)));
    }
    EXPECT_EQ(frames[0].bytes.size(), 50000u);
    EXPECT_EQ(frames[1].bytes.size(), 1000u);
    EXPECT_EQ(frames[2].bytes.size(), 700u);
    EXPECT_TRUE(sink_.Endings().empty());
    EXPECT_EQ(device_->DroppedFrames(), 0u);
    ExpectAllGivenBack();
}

TEST_F(V4l2StreamTest, FramesThatCannotBeTrustedAreDroppedNotRead) {
    const std::uint32_t full = 640 * 480 * 2;
    Script({FrameEvent::Frame(full + 1), FrameEvent::Frame(full), FrameEvent::Frame(0),
            FrameEvent::Frame(100, V4L2_BUF_FLAG_ERROR), FrameEvent::Frame(0xffffffffu),
            FrameEvent::Frame(10)});

    StartStreaming();
    ASSERT_TRUE(sink_.WaitForFrames(2));
    device_->StopStreaming();

    const std::vector<RecordingSink::Frame> frames = sink_.Frames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].bytes.size(), full);
    EXPECT_EQ(frames[1].bytes.size(), 10u);
    EXPECT_EQ(device_->DroppedFrames(), 4u);
    EXPECT_TRUE(sink_.Endings().empty());
}

TEST_F(V4l2StreamTest, TryAgainAndInterruptionsAreWaitedOut) {
    Script({FrameEvent::Fail(-EAGAIN), FrameEvent::Frame(10), FrameEvent::Fail(-EINTR),
            FrameEvent::Fail(-EAGAIN), FrameEvent::Frame(20)});

    StartStreaming();
    ASSERT_TRUE(sink_.WaitForFrames(2));
    device_->StopStreaming();

    EXPECT_EQ(sink_.Frames().size(), 2u);
    EXPECT_TRUE(sink_.Endings().empty());
}

TEST_F(V4l2StreamTest, UnplugEndsTheStreamAndStoppingAfterwardsWorks) {
    Script({FrameEvent::Frame(100), FrameEvent::Unplug(), FrameEvent::Frame(100)});

    StartStreaming();
    ASSERT_TRUE(sink_.WaitForEnd());
    device_->StopStreaming();

    const std::vector<media::DeviceStatus> endings = sink_.Endings();
    ASSERT_EQ(endings.size(), 1u);
    EXPECT_EQ(endings[0].error, -ENODEV);
    EXPECT_EQ(endings[0].message, "cannot dequeue a frame from /dev/video2: No such device");
    EXPECT_EQ(sink_.Frames().size(), 1u);
    EXPECT_EQ(io_->Mappings(), 0);

    const media::DeviceStatus restart = device_->StartStreaming(sink_);
    EXPECT_EQ(restart.error, -ENODEV);
    EXPECT_EQ(restart.message, "cannot read the format of /dev/video2: No such device");
    device_.reset();
    EXPECT_EQ(io_->OpenDescriptors(), 0);
    EXPECT_EQ(io_->Mappings(), 0);
}

TEST_F(V4l2StreamTest, AStreamEndedByUnplugIsClearedByTheNextStart) {
    Script({FrameEvent::Unplug()});
    StartStreaming();
    ASSERT_TRUE(sink_.WaitForEnd());

    // No StopStreaming in between: the next call finds the ended stream.
    EXPECT_EQ(device_->StartStreaming(sink_).error, -ENODEV);
    EXPECT_EQ(io_->Mappings(), 0);
}

TEST_F(V4l2StreamTest, StopReturnsWhileTheCameraSendsNothing) {
    StartStreaming();
    device_->StopStreaming();
    ExpectAllGivenBack();

    // And a camera that falls silent after a frame.
    StartStreaming();
    io_->Push(kPath, FrameEvent::Frame(10));
    ASSERT_TRUE(sink_.WaitForFrames(1));
    device_->StopStreaming();
    ExpectAllGivenBack();
    EXPECT_TRUE(sink_.Endings().empty());
}

TEST_F(V4l2StreamTest, Bgr24FramesArriveBottomUpWithRowsPaddedToFourBytes) {
    EmulatedCamera camera;
    camera.formats = {{V4L2_PIX_FMT_BGR24, 0, {{5, 3, {{1, 30}}}}, {}, {}}};
    camera.rowPadding = 2; // the driver's rows: 15 bytes of pixels and 2 of padding
    Start(camera);
    std::vector<std::uint8_t> topDown;
    for (int row = 0; row < 3; ++row) {
        for (int byte = 0; byte < 15; ++byte)
            topDown.push_back(static_cast<std::uint8_t>(row * 16 + byte));
        topDown.insert(topDown.end(), {0xee, 0xee});
    }
    const std::vector<std::uint8_t> short_(topDown.begin(), topDown.begin() + 40);
    Script({FrameEvent::Content(short_), FrameEvent::Content(topDown)});

    StartStreaming();
    ASSERT_TRUE(sink_.WaitForFrames(1));
    device_->StopStreaming();

    std::vector<std::uint8_t> bottomUp;
    for (int row = 2; row >= 0; --row) {
        for (int byte = 0; byte < 15; ++byte)
            bottomUp.push_back(static_cast<std::uint8_t>(row * 16 + byte));
        bottomUp.push_back(0);
    }
    const std::vector<RecordingSink::Frame> frames = sink_.Frames();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].capacity, 48u);
    EXPECT_EQ(frames[0].bytes, bottomUp);
    EXPECT_EQ(device_->DroppedFrames(), 1u); // the frame short of its last row
    EXPECT_EQ(device_->CurrentMode().sampleSize, 48u);
}

TEST_F(V4l2StreamTest, OneStreamAtATimeAndNoFormatChangeDuringIt) {
    StartStreaming();

    const media::DeviceStatus again = device_->StartStreaming(sink_);
    const media::DeviceStatus mode = device_->SetMode(device_->Modes()[1]);
    EXPECT_EQ(again.error, -EBUSY);
    EXPECT_EQ(again.message, "/dev/video2 is already streaming");
    EXPECT_EQ(mode.error, -EBUSY);
    EXPECT_EQ(mode.message, "cannot set format on /dev/video2 while it is streaming");

    device_->StopStreaming();
    Use(FourCC("YUY2"), 320, 240);
    Script({FrameEvent::Frame(320 * 240 * 2)});
    StartStreaming();
    ASSERT_TRUE(sink_.WaitForFrames(1));
    device_->StopStreaming();
    EXPECT_EQ(sink_.Frames()[0].capacity, 320u * 240 * 2);
}

TEST_F(V4l2StreamTest, AFailedStartGivesEverythingBack) {
    io_->FailNext(kPath, VIDIOC_STREAMON, EIO);
    const media::DeviceStatus streamOn = device_->StartStreaming(sink_);
    EXPECT_EQ(streamOn.error, -EIO);
    EXPECT_EQ(streamOn.message, "cannot start streaming on /dev/video2: Input/output error");
    ExpectAllGivenBack();

    io_->FailNext(kPath, VIDIOC_QUERYBUF, EINVAL);
    EXPECT_EQ(device_->StartStreaming(sink_).message,
              "cannot query capture buffer 0 of /dev/video2: Invalid argument");
    ExpectAllGivenBack();

    io_->FailNext(kPath, VIDIOC_REQBUFS, ENOMEM);
    EXPECT_EQ(device_->StartStreaming(sink_).message,
              "cannot get capture buffers from /dev/video2: Cannot allocate memory");
    ExpectAllGivenBack();
    EXPECT_TRUE(sink_.Endings().empty());
}

TEST_F(V4l2StreamTest, ADriverGrantingNoBuffersFailsTheStart) {
    EmulatedCamera camera = TypicalCamera();
    camera.grant = 0;
    Start(camera);

    EXPECT_EQ(device_->StartStreaming(sink_).message,
              "cannot get capture buffers from /dev/video2: the driver granted none");
    ExpectAllGivenBack();
}

TEST_F(V4l2StreamTest, DestroyingAStreamingDeviceStopsTheStreamAndClosesEverything) {
    Script({FrameEvent::Frame(10)});
    StartStreaming();
    ASSERT_TRUE(sink_.WaitForFrames(1));

    device_.reset();

    EXPECT_EQ(io_->OpenDescriptors(), 0);
    EXPECT_EQ(io_->Mappings(), 0);
    EXPECT_FALSE(io_->Streaming(kPath));
}

} // namespace
} // namespace kamsel::v4l2::testing

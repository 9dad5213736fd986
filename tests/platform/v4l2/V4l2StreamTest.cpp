#include "EmulatedDeviceTest.h"
#include "RecordingSink.h"
#include "ThreadsCannotStart.h"
#include "platform/v4l2/V4l2Device.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstddef>
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

TEST_F(V4l2StreamTest, SilentWaitsAreWaitedOutUntilTenInARowEndTheStream) {
    std::vector<FrameEvent> script(9, FrameEvent::Silence());
    script.push_back(FrameEvent::Frame(100));
    script.insert(script.end(), 9, FrameEvent::Silence());
    script.push_back(FrameEvent::Frame(200));
    script.insert(script.end(), 10, FrameEvent::Silence());
    script.push_back(FrameEvent::Frame(300));
    Script(script);

    StartStreaming();
    ASSERT_TRUE(sink_.WaitForEnd());
    device_->StopStreaming();

    const std::vector<RecordingSink::Frame> frames = sink_.Frames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[1].bytes.size(), 200u);
    const std::vector<media::DeviceStatus> endings = sink_.Endings();
    ASSERT_EQ(endings.size(), 1u);
    EXPECT_EQ(endings[0].error, -ETIMEDOUT);
    EXPECT_EQ(endings[0].message, "/dev/video2 sent no frame for 10 seconds");
    EXPECT_EQ(io_->ScriptLeft(kPath), 1u);
    ExpectAllGivenBack();
}

TEST_F(V4l2StreamTest, AnErrorStateWithoutFramesEndsTheStreamInsteadOfSpinning) {
    Script({FrameEvent::Frame(100), FrameEvent::ErrorState()});

    StartStreaming();
    ASSERT_TRUE(sink_.WaitForEnd());
    device_->StopStreaming();

    EXPECT_EQ(sink_.Frames().size(), 1u);
    const std::vector<media::DeviceStatus> endings = sink_.Endings();
    ASSERT_EQ(endings.size(), 1u);
    EXPECT_EQ(endings[0].error, -EIO);
    EXPECT_EQ(endings[0].message, "cannot dequeue a frame from /dev/video2: Input/output error");
    ExpectAllGivenBack();
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

// A driver that pads rows: uncompressed frames reach the sink packed, at the
// packed length, whichever sizes make drivers pad.
struct PaddedCase {
    std::uint32_t pixelFormat;
    std::uint32_t width;
    std::uint32_t height;
    std::uint32_t stride; // the driver's bytesperline
};

class PaddedRowsTest : public V4l2StreamTest, public ::testing::WithParamInterface<PaddedCase> {
  protected:
    struct Plane {
        std::uint32_t rowBytes, rows, stride;
    };

    // The planes as the driver lays them out (luma stride given, chroma half
    // of it, odd sizes rounded up).
    static std::vector<Plane> Planes(const PaddedCase& c) {
        if (c.pixelFormat == V4L2_PIX_FMT_YUYV)
            return {{c.width * 2, c.height, c.stride}};
        const Plane chroma{(c.width + 1) / 2, (c.height + 1) / 2, (c.stride + 1) / 2};
        return {{c.width, c.height, c.stride}, chroma, chroma};
    }

    // Each row's pixels count up from a value of their own; padding bytes are 0xee.
    static void Fill(const std::vector<Plane>& planes, std::vector<std::uint8_t>& driver,
                     std::vector<std::uint8_t>& packed) {
        std::uint32_t rowNumber = 0;
        for (const Plane& plane : planes)
            for (std::uint32_t row = 0; row < plane.rows; ++row, ++rowNumber) {
                for (std::uint32_t x = 0; x < plane.rowBytes; ++x)
                    packed.push_back(static_cast<std::uint8_t>(rowNumber * 7 + x));
                driver.insert(driver.end(), packed.end() - plane.rowBytes, packed.end());
                driver.insert(driver.end(), plane.stride - plane.rowBytes, 0xee);
            }
    }
};

TEST_P(PaddedRowsTest, FramesArrivePackedWithThePackedLength) {
    const PaddedCase c = GetParam();
    const std::uint32_t lumaRow = c.pixelFormat == V4L2_PIX_FMT_YUYV ? c.width * 2 : c.width;
    EmulatedCamera camera;
    camera.formats = {{c.pixelFormat, 0, {{c.width, c.height, {{1, 30}}}}, {}, {}}};
    camera.rowPadding = c.stride - lumaRow;
    Start(camera);
    std::vector<std::uint8_t> driver, packed;
    Fill(Planes(c), driver, packed);
    // The second frame is short of its last row's pixels: it cannot be repacked.
    const std::size_t lastRowEnd = driver.size() - (Planes(c).back().stride - Planes(c).back().rowBytes);
    const std::vector<std::uint8_t> short_(driver.begin(), driver.begin() + lastRowEnd - 1);
    Script({FrameEvent::Content(driver), FrameEvent::Content(short_), FrameEvent::Content(driver)});

    StartStreaming();
    ASSERT_TRUE(sink_.WaitForFrames(2));
    device_->StopStreaming();

    const std::vector<RecordingSink::Frame> frames = sink_.Frames();
    ASSERT_EQ(frames.size(), 2u);
    for (const RecordingSink::Frame& frame : frames) {
        EXPECT_EQ(frame.capacity, packed.size());
        EXPECT_TRUE(frame.bytes == packed); // whole frames: too long for a readable difference
    }
    EXPECT_EQ(device_->DroppedFrames(), 1u);
    EXPECT_EQ(device_->CurrentMode().sampleSize, packed.size());
    EXPECT_TRUE(sink_.Endings().empty());
}

INSTANTIATE_TEST_SUITE_P(DriverStrides, PaddedRowsTest,
                         ::testing::Values(PaddedCase{V4L2_PIX_FMT_YUYV, 640, 480, 1344},
                                           PaddedCase{V4L2_PIX_FMT_YUYV, 1366, 768, 2752},
                                           PaddedCase{V4L2_PIX_FMT_YUV420, 640, 480, 672},
                                           PaddedCase{V4L2_PIX_FMT_YUV420, 1366, 768, 1376},
                                           PaddedCase{V4L2_PIX_FMT_YUV420, 161, 121, 168}));

TEST_F(V4l2StreamTest, UnpaddedFramesKeepTheDriversBufferButNotItsExtraLength) {
    EmulatedCamera camera;
    camera.formats = {{V4L2_PIX_FMT_YUV420, 0, {{8, 4, {{1, 30}}}}, {}, {}}};
    Start(camera);
    // 48 bytes of frame; a driver stating its whole buffer, and a short frame.
    Script({FrameEvent::Frame(48), FrameEvent::Frame(20)});

    StartStreaming();
    ASSERT_TRUE(sink_.WaitForFrames(2));
    device_->StopStreaming();

    const std::vector<RecordingSink::Frame> frames = sink_.Frames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].bytes.size(), 48u);
    EXPECT_EQ(frames[1].bytes.size(), 20u); // passed on as it is; the decoder refuses it
    EXPECT_EQ(device_->DroppedFrames(), 0u);
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

TEST_F(V4l2StreamTest, AStreamingThreadThatCannotStartFailsTheStartAndGivesEverythingBack) {
    media::DeviceStatus status;
    {
        const ThreadsCannotStart noThreads;
        status = device_->StartStreaming(sink_);
    }
    EXPECT_EQ(status.error, -EAGAIN);
    EXPECT_EQ(status.message,
              "cannot start the streaming thread for /dev/video2: Resource temporarily unavailable");
    ExpectAllGivenBack();

    // Nothing of the failed start is left in the way of the next.
    Script({FrameEvent::Frame(100)});
    StartStreaming();
    ASSERT_TRUE(sink_.WaitForFrames(1));
    device_->StopStreaming();
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

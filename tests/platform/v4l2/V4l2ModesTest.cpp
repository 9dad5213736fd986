#include "EmulatedDeviceTest.h"
#include "platform/v4l2/V4l2Device.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <string>
#include <vector>

namespace kamsel::v4l2::testing {
namespace {

using media::FourCC;
using media::VideoMode;

VideoMode Mode(std::uint32_t fourcc, int width, int height, std::uint16_t bits, std::uint32_t sampleSize,
               std::int64_t interval, std::int64_t min, std::int64_t max) {
    return {fourcc, width, height, bits, sampleSize, interval, min, max};
}

EmulatedFormat Format(std::uint32_t pixelFormat, std::vector<EmulatedSize> sizes, std::uint32_t flags = 0) {
    return {pixelFormat, flags, std::move(sizes), {}, {}};
}

using V4l2ModesTest = EmulatedDeviceTest;

TEST_F(V4l2ModesTest, OneModePerFormatAndSizeWithTheRatesOnOffer) {
    Start(TypicalCamera());
    const std::uint32_t yuy2 = FourCC("YUY2"), mjpg = FourCC("MJPG");
    // Rates: the one nearest 30 frames per second, and the span offered.
    EXPECT_EQ(device_->Modes(), (std::vector<VideoMode>{
                                    Mode(yuy2, 640, 480, 16, 614400, 333333, 333333, 666667),
                                    Mode(yuy2, 320, 240, 16, 153600, 333333, 333333, 333333),
                                    Mode(yuy2, 1280, 720, 16, 1843200, 1000000, 1000000, 1000000),
                                    // A compressed frame's buffer size comes from the driver.
                                    Mode(mjpg, 640, 480, 24, 614400, 333333, 166667, 333333),
                                    Mode(mjpg, 1280, 720, 24, 1843200, 333333, 166667, 333333),
                                    Mode(mjpg, 1920, 1080, 24, 4147200, 333333, 333333, 333333),
                                }));
}

TEST_F(V4l2ModesTest, PixelFormatsAreOfferedUnderThePlatformsFourCCs) {
    const std::vector<EmulatedSize> size{{320, 240, {{1, 30}}}};
    EmulatedCamera camera;
    camera.formats = {Format(V4L2_PIX_FMT_YUYV, size),
                      Format(V4L2_PIX_FMT_MJPEG, size, V4L2_FMT_FLAG_COMPRESSED),
                      Format(V4L2_PIX_FMT_JPEG, size, V4L2_FMT_FLAG_COMPRESSED),
                      Format(V4L2_PIX_FMT_YUV420, size),
                      Format(V4L2_PIX_FMT_YVU420, size),
                      Format(V4L2_PIX_FMT_BGR24, {{320, 240, {{1, 30}}}, {322, 240, {{1, 30}}}}),
                      Format(V4L2_PIX_FMT_GREY, size),
                      Format(V4L2_PIX_FMT_H264, size, V4L2_FMT_FLAG_COMPRESSED)};
    Start(camera);

    std::vector<std::uint32_t> fourccs;
    std::vector<std::uint16_t> bits;
    std::vector<std::uint32_t> sizes;
    for (const VideoMode& mode : device_->Modes()) {
        fourccs.push_back(mode.fourcc);
        bits.push_back(mode.bitCount);
        sizes.push_back(mode.sampleSize);
    }
    EXPECT_EQ(fourccs, (std::vector<std::uint32_t>{FourCC("YUY2"), FourCC("MJPG"), FourCC("MJPG"),
                                                   FourCC("I420"), FourCC("YV12"), media::kFourCCRgb24,
                                                   media::kFourCCRgb24, FourCC("GREY"), FourCC("H264")}));
    EXPECT_EQ(bits, (std::vector<std::uint16_t>{16, 24, 24, 12, 12, 24, 24, 8, 0}));
    // RGB24 rows are padded to 4 bytes, as they are delivered: 322 * 3 = 966 -> 968.
    EXPECT_EQ(sizes, (std::vector<std::uint32_t>{153600, 153600, 153600, 115200, 115200, 230400, 968 * 240,
                                                 76800, 153600}));
}

TEST_F(V4l2ModesTest, SizeRangesGiveTheCommonSizesOnTheRangeAndItsLargest) {
    EmulatedCamera camera;
    camera.formats = {{V4L2_PIX_FMT_YUYV,
                       0,
                       {},
                       v4l2_frmsize_stepwise{160, 1600, 16, 120, 1200, 8},
                       v4l2_frmival_stepwise{{1, 60}, {1, 5}, {1, 1}}},
                      {V4L2_PIX_FMT_MJPEG,
                       V4L2_FMT_FLAG_COMPRESSED,
                       {},
                       v4l2_frmsize_stepwise{162, 1000, 16, 120, 600, 8},
                       {}}};
    Start(camera);

    std::vector<std::pair<int, int>> sizes;
    for (const VideoMode& mode : device_->Modes())
        sizes.emplace_back(mode.width, mode.height);
    // 1920x1080 lies beyond the first range; none of the common widths is on
    // the second one's 16-pixel steps from 162.
    EXPECT_EQ(sizes, (std::vector<std::pair<int, int>>{
                         {320, 240}, {640, 480}, {1280, 720}, {1600, 1200}, {1000, 600}}));
    const VideoMode first = device_->Modes().front();
    EXPECT_EQ(first.frameInterval, 333333);
    EXPECT_EQ(first.minFrameInterval, 166667);
    EXPECT_EQ(first.maxFrameInterval, 2000000);
}

TEST_F(V4l2ModesTest, DriverThatListsNoSizesOffersTheSizeInForceAt30FramesPerSecond) {
    EmulatedCamera camera;
    camera.formats = {Format(V4L2_PIX_FMT_YUYV, {})};
    Start(camera);

    EXPECT_EQ(device_->Modes(),
              (std::vector<VideoMode>{Mode(FourCC("YUY2"), 640, 480, 16, 614400, 333333, 333333, 333333)}));
}

TEST_F(V4l2ModesTest, CurrentModeIsTheFormatAndRateInForce) {
    Start(TypicalCamera());
    EXPECT_EQ(device_->CurrentMode(), Mode(FourCC("YUY2"), 640, 480, 16, 614400, 333333, 333333, 666667));

    VideoMode slow = device_->Modes().front();
    slow.frameInterval = 666667;
    ASSERT_TRUE(device_->SetMode(slow).Ok());
    EXPECT_EQ(device_->CurrentMode().frameInterval, 666667);
}

TEST_F(V4l2ModesTest, SetModeAppliesFormatSizeAndRate) {
    Start(TypicalCamera());
    const VideoMode wanted = Mode(FourCC("MJPG"), 1280, 720, 24, 0, 166667, 0, 0);

    const media::DeviceStatus status = device_->SetMode(wanted);

    ASSERT_TRUE(status.Ok()) << status.message;
    EXPECT_EQ(io_->CurrentPixelFormat(kPath), V4L2_PIX_FMT_MJPEG);
    EXPECT_EQ(device_->CurrentMode(), Mode(FourCC("MJPG"), 1280, 720, 24, 1843200, 166667, 166667, 333333));
}

// A mode that fails half-way leaves the device on the format it had, which
// the graph's connection still carries.
TEST_F(V4l2ModesTest, SetModeReportsWhatTheDriverChoseInsteadAndKeepsTheFormatBefore) {
    Start(TypicalCamera());
    const VideoMode before = Mode(FourCC("MJPG"), 1280, 720, 24, 0, 333333, 0, 0);
    ASSERT_TRUE(device_->SetMode(before).Ok());

    const media::DeviceStatus status = device_->SetMode(Mode(FourCC("YUY2"), 800, 600, 16, 0, 333333, 0, 0));

    EXPECT_EQ(status.error, -EINVAL);
    EXPECT_EQ(status.message, "cannot set format 800x600 YUY2 on /dev/video2: the driver chose 640x480 YUY2");
    EXPECT_EQ(device_->CurrentMode().width, 1280);

    io_->FailNext(kPath, VIDIOC_S_PARM, EIO);
    EXPECT_EQ(device_->SetMode(Mode(FourCC("YUY2"), 640, 480, 16, 0, 333333, 0, 0)).error, -EIO);
    EXPECT_EQ(device_->CurrentMode().fourcc, FourCC("MJPG"));
}

TEST_F(V4l2ModesTest, SetModeRefusesAFormatTheDeviceDoesNotOffer) {
    Start(TypicalCamera());

    const media::DeviceStatus status =
        device_->SetMode(Mode(media::kFourCCRgb24, 320, 240, 24, 0, 333333, 0, 0));

    EXPECT_EQ(status.error, -EINVAL);
    EXPECT_EQ(status.message, "cannot set format 320x240 RGB24 on /dev/video2: the device does not offer it");
    EXPECT_EQ(io_->Calls(VIDIOC_S_FMT), 0);
}

TEST_F(V4l2ModesTest, SetModeFailureNamesTheNodeAndTheReason) {
    Start(TypicalCamera());
    io_->FailNext(kPath, VIDIOC_S_FMT, EBUSY);

    const media::DeviceStatus status = device_->SetMode(device_->Modes().back());

    EXPECT_EQ(status.error, -EBUSY);
    EXPECT_EQ(status.message, "cannot set format on /dev/video2: Device or resource busy");
}

TEST_F(V4l2ModesTest, SetModeLeavesTheRateToADriverWithoutRateControl) {
    EmulatedCamera camera = TypicalCamera();
    camera.rateSettable = false;
    Start(camera);

    EXPECT_TRUE(device_->SetMode(device_->Modes()[1]).Ok());
    EXPECT_EQ(io_->Calls(VIDIOC_S_PARM), 0);
}

TEST(V4l2Device, OpenFailuresNameTheNodeAndTheReason) {
    auto io = std::make_shared<EmulatedV4l2Io>();
    EmulatedCamera locked = TypicalCamera();
    locked.openError = -EACCES;
    io->AddNode("/dev/video2", locked);
    EmulatedCamera output = TypicalCamera();
    output.deviceCaps = V4L2_CAP_VIDEO_OUTPUT;
    io->AddNode("/dev/video3", output);

    V4l2Device lockedDevice(io, "/dev/video2", "Locked");
    const media::DeviceStatus status = lockedDevice.Open();
    EXPECT_EQ(status.error, -EACCES);
    EXPECT_EQ(status.message, "cannot open /dev/video2: Permission denied");
    EXPECT_EQ(V4l2Device(io, "/dev/video3", "Output").Open().error, -ENODEV);
    EXPECT_EQ(io->OpenDescriptors(), 0);
}

TEST(V4l2Device, UnopenedDeviceAnswersWithAnErrorAndTouchesNothing) {
    auto io = std::make_shared<EmulatedV4l2Io>();
    io->AddNode("/dev/video2", TypicalCamera());
    V4l2Device device(io, "/dev/video2", "Cam");
    media::ImageControlRange range;

    EXPECT_TRUE(device.Modes().empty());
    EXPECT_EQ(device.CurrentMode(), VideoMode{});
    EXPECT_EQ(device.SetMode(Mode(FourCC("YUY2"), 640, 480, 16, 0, 0, 0, 0)).message,
              "/dev/video2 is not open");
    EXPECT_EQ(device.GetImageControlRange(media::ImageControl::Brightness, range).error, -EBADF);
    EXPECT_EQ(io->Calls(VIDIOC_G_FMT) + io->Calls(VIDIOC_S_FMT) + io->Calls(VIDIOC_QUERYCTRL), 0);
}

} // namespace
} // namespace kamsel::v4l2::testing

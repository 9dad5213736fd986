// End to end on the pattern virtual camera, declared the way a user declares
// it (KAMSEL_VIRTUAL_CAMERAS): every format it offers reaches the frame
// procedure as a decoded picture of the camera's size, on this thread, with
// the real clock and the real idle notification.

#include "FacadeTestSupport.h"
#include "support/ScopedEnvironment.h"

#include "capture/TVideoSample.h"
#include "platform/dshow/DeviceCatalog.h"
#include "platform/dshow/fake/FakeDeviceRegistry.h"
#include "platform/virtualcam/VirtualCameraSource.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace kamsel::frames {
namespace {

using kamsel::test::ScopedEnvironment;

dshow::DeviceProviders VirtualCamerasFromEnvironment() {
    const ScopedEnvironment declared(virtualcam::VirtualCameraSource::kEnvironmentVariable, "Cam A=pattern");
    return {std::make_shared<dshow::MediaSourceProvider>(virtualcam::VirtualCameraSource::FromEnvironment())};
}

// The pattern: colour bars over the upper two thirds (the seventh is blue),
// a grey ramp from black to white below. Loose bounds: the picture went
// through YUV and, for MJPG, JPEG.
bool ShowsThePattern(const Bitmap24& picture) {
    const int w = picture.Width();
    const int h = picture.Height();
    const std::uint8_t* blueBar = picture.ScanLine(h / 3) + (w * 13 / 16) * 3; // blue, green, red
    const std::uint8_t* bottom = picture.ScanLine(h - 2);
    const std::uint8_t* rampLeft = bottom + 1 * 3;
    const std::uint8_t* rampRight = bottom + (w - 2) * 3;
    const bool blue = blueBar[0] > 140 && blueBar[1] < 60 && blueBar[2] < 60;
    const bool dark = rampLeft[0] < 50 && rampLeft[1] < 50 && rampLeft[2] < 50;
    const bool light = rampRight[0] > 200 && rampRight[1] > 200 && rampRight[2] > 200;
    return blue && dark && light;
}

class TVideoImagePatternCamera : public ::testing::Test {
  protected:
    TVideoImagePatternCamera() {
        TVideoImage::Services services;
        services.Exceptions = &errors.handler;
        image = std::make_unique<TVideoImage>(services);
        image->FrameCallback = [this](TVideoImage& sender, std::int32_t width, std::int32_t height,
                                      const std::uint8_t*) {
            ++frames;
            sender.GetBitmap(picture);
            const bool good = picture.Width() == width && picture.Height() == height &&
                              width == expected.first && height == expected.second &&
                              ShowsThePattern(picture);
            goodInARow = good ? goodInARow + 1 : 0;
        };
    }

    test::ErrorRecorder errors;
    dshow::fake::FakeDeviceRegistry devices{VirtualCamerasFromEnvironment()};
    std::unique_ptr<TVideoImage> image;
    Bitmap24 picture;
    std::pair<int, int> expected;
    int frames = 0;
    int goodInARow = 0;
};

TEST_F(TVideoImagePatternCamera, EveryFormatArrivesAsADecodedPictureOfItsSize) {
    QStringList cameras;
    image->GetListOfDevices(cameras);
    ASSERT_EQ(cameras, QStringList{QStringLiteral("Cam A")});

    ASSERT_EQ(image->VideoStart(QStringLiteral("#1")), 0);
    QStringList sizes;
    image->GetListOfSupportedVideoSizes(sizes);
    ASSERT_EQ(sizes.size(), 11) << sizes.join(QLatin1Char('|')).toStdString();

    const QRegularExpression line(QStringLiteral("^(\\d+)\\*(\\d+)  \\((.*)\\)$"));
    for (int index = 0; index < sizes.size(); ++index) {
        const auto match = line.match(sizes[index]);
        ASSERT_TRUE(match.hasMatch()) << sizes[index].toStdString();
        SCOPED_TRACE(sizes[index].toStdString());
        expected = {match.captured(1).toInt(), match.captured(2).toInt()};
        image->SetResolutionByIndex(index);
        EXPECT_EQ(std::make_pair(int(image->VideoWidth), int(image->VideoHeight)), expected);
        goodInARow = 0;
        // Frames of the previous format may still be queued; three good ones
        // in a row show the new one arriving.
        EXPECT_TRUE(test::RunEventsUntil([&] { return goodInARow >= 3; }))
            << frames << " frames, the last " << picture.Width() << "x" << picture.Height();
    }
    EXPECT_TRUE(errors.messages.empty());
    image->VideoStop();
}

TEST_F(TVideoImagePatternCamera, FramesArriveAtTheCameraRate) {
    ASSERT_EQ(image->VideoStart(QStringLiteral("#1")), 0);
    // The smallest mode, YUY2 320x240 at 30 frames per second: the camera
    // renders it in time even in a ThreadSanitizer build on a busy machine.
    QStringList sizes;
    image->GetListOfSupportedVideoSizes(sizes);
    const auto smallest = sizes.indexOf(QStringLiteral("320*240  (YUY2)"));
    ASSERT_GE(smallest, 0) << sizes.join(u',').toStdString();
    image->SetResolutionByIndex(static_cast<int>(smallest));
    expected = {320, 240};
    // The first rate is measured at the 60th sample, two seconds in.
    ASSERT_TRUE(test::RunEventsUntil([&] { return image->FramesPerSecond.load() > 0.0 && frames >= 60; }));
    RecordProperty("framesPerSecond", QString::number(image->FramesPerSecond.load(), 'f', 1).toStdString());
    // The camera paces itself; the rate the facade measures is its rate,
    // give or take the scheduling of a busy machine.
    EXPECT_NEAR(image->FramesPerSecond.load(), 30.0, 6.0);
    RecordProperty("skipped", image->SkippedFrames.load());
    EXPECT_GE(goodInARow, 1);
    image->VideoStop();
    EXPECT_EQ(image->FramesPerSecond.load(), 0.0);
}

} // namespace
} // namespace kamsel::frames

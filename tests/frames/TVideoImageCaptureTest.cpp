// The facade over a capture object: start and stop, pause, the pass-through
// operations, frames from a test camera reaching the frame procedure. The
// camera is a fake one with fault injection; no device of the machine is used.

#include "FacadeTestSupport.h"
#include "tests/frames/TVideoImageTestPeer.h"

#include "capture/TVideoSample.h"
#include "frames/FrameMessageWindow.h"
#include "platform/dshow/LiveObject.h"
#include "platform/dshow/PropertyFrame.h"
#include "platform/dshow/fake/FakeDeviceRegistry.h"

#include <QDialog>
#include <QMetaObject>

#include <gtest/gtest.h>

#include <cerrno>

namespace kamsel::frames {
namespace {

using dshow::FaultPoint;
using media::ImageControl;
using test::FakeTickSource;

constexpr std::uint32_t kYUY2 = FourCC("YUY2");
constexpr std::size_t kVgaYuy2 = 640 * 480 * 2;

class TVideoImageCapture : public ::testing::Test {
  protected:
    TVideoImageCapture() {
        TVideoImage::Services services;
        services.Ticks = &clock;
        services.Exceptions = &errors.handler;
        image = std::make_unique<TVideoImage>(services);
        image->FrameCallback = [this](TVideoImage& sender, std::int32_t width, std::int32_t height,
                                      const std::uint8_t*) {
            ++frames;
            lastSize = {width, height};
            sender.GetBitmap(picture);
        };
    }

    void TearDown() override {
        image.reset();
        EXPECT_FALSE(camera->Streaming());
        EXPECT_EQ(devices.LiveDevices(), 0);
        EXPECT_EQ(dshow::LiveObjectCount(), objectsBefore);
    }

    // Starts the first camera; with the clock standing still after an idle
    // notification, no sample counts as arriving while the user interface is
    // busy.
    void Start() {
        ASSERT_EQ(image->VideoStart(QStringLiteral("#1")), 0);
        bool done = false;
        image->AppIdle(done);
    }

    bool WaitForFrames(int count) {
        return test::RunEventsUntil([&] { return frames >= count; });
    }

    // A sample of uniform grey: Y = U = V = 128 gives blue, green and red 130.
    static std::vector<std::uint8_t> Grey(std::size_t length) { return test::Sample(length, 128); }

    // A property frame closed as soon as it shows; counts them.
    dshow::ScopedPropertyFrameHook CloseFrames(int& shown) {
        return dshow::ScopedPropertyFrameHook([&shown](QDialog& dialog) {
            ++shown;
            QMetaObject::invokeMethod(&dialog, &QDialog::reject, Qt::QueuedConnection);
        });
    }

    dshow::fake::FakeDeviceRegistry devices;
    std::shared_ptr<dshow::fake::FakeCamera> camera = devices.AddCamera("USB Camera");
    const long objectsBefore = dshow::LiveObjectCount();
    FakeTickSource clock{50000};
    test::ErrorRecorder errors;
    std::unique_ptr<TVideoImage> image;
    int frames = 0;
    std::pair<std::int32_t, std::int32_t> lastSize;
    Bitmap24 picture;
};

// ---- start and stop ----

TEST_F(TVideoImageCapture, AStartThatFailsReturnsOneAndLeavesNoCaptureObject) {
    // No such device, and a device that cannot be opened.
    EXPECT_EQ(image->VideoStart(QStringLiteral("#2")), 1);
    EXPECT_FALSE(image->IsCapturing());
    EXPECT_FALSE(image->IsPaused());

    camera->SetOpenError(-EBUSY);
    EXPECT_EQ(image->VideoStart(QStringLiteral("#1")), 1);
    EXPECT_FALSE(image->IsCapturing());
    EXPECT_FALSE(image->IsPaused());
    EXPECT_EQ(devices.LiveDevices(), 0);
}

TEST_F(TVideoImageCapture, AStartWhoseFormatCannotBeReadFails) {
    camera->SetFault(FaultPoint::GetFormat, com::E_FAIL);
    EXPECT_EQ(image->VideoStart(QStringLiteral("#1")), 1);
    EXPECT_FALSE(image->IsCapturing());
    EXPECT_FALSE(camera->Streaming());
}

TEST_F(TVideoImageCapture, FramesOfTheCameraArriveDecodedAtItsSize) {
    Start();
    EXPECT_EQ(image->VideoWidth, 640);
    EXPECT_EQ(image->VideoHeight, 480);
    EXPECT_EQ(image->VideoFourCC, kYUY2);
    EXPECT_EQ(TVideoImageTestPeer::FrameBitmap(*image).Width(), 640);
    EXPECT_EQ(TVideoImageTestPeer::FrameBitmap(*image).Height(), 480);

    for (int n = 0; n < 3; ++n)
        camera->PushFrame(Grey(kVgaYuy2), kVgaYuy2);
    ASSERT_TRUE(WaitForFrames(3));
    EXPECT_EQ(lastSize, std::make_pair(640, 480));
    ASSERT_EQ(picture.Width(), 640);
    ASSERT_EQ(picture.Height(), 480);
    EXPECT_EQ(picture.ScanLine(479)[639 * 3 + 2], 130);
    EXPECT_EQ(TVideoImageTestPeer::FrameCount(*image), 3);
    EXPECT_EQ(image->SkippedFrames.load(), 0);
    EXPECT_TRUE(errors.messages.empty());
}

TEST_F(TVideoImageCapture, StopReturnsWhenNoSampleCanArriveAndAQueuedMessageStillShowsTheLast) {
    Start();
    camera->StreamContinuously(Grey(kVgaYuy2), kVgaYuy2);
    ASSERT_TRUE(WaitForFrames(2));

    image->VideoStop();
    EXPECT_FALSE(image->IsCapturing());
    EXPECT_FALSE(camera->Streaming());
    EXPECT_EQ(devices.LiveDevices(), 0);
    EXPECT_EQ(image->FramesPerSecond.load(), 0.0);

    const std::int32_t arrived = TVideoImageTestPeer::FrameCount(*image);
    // Whatever was posted before the stop is still handled, with the slot as
    // it was; nothing arrives afterwards.
    TVideoImageTestPeer::MessageWindow(*image).PostFrameMessage(0, 0);
    const int framesBefore = frames;
    test::HandlePostedEvents();
    EXPECT_GT(frames, framesBefore);
    EXPECT_EQ(picture.Width(), 640);
    EXPECT_EQ(picture.ScanLine(0)[0], 130);
    EXPECT_EQ(TVideoImageTestPeer::FrameCount(*image), arrived);
}

TEST_F(TVideoImageCapture, StartingAgainStopsTheRunningCameraAndCountsAfresh) {
    Start();
    camera->PushFrame(Grey(kVgaYuy2), kVgaYuy2);
    ASSERT_TRUE(WaitForFrames(1));
    ASSERT_EQ(TVideoImageTestPeer::FrameCount(*image), 1);

    const int devicesOfOneCaptureObject = devices.LiveDevices();

    ASSERT_EQ(image->VideoStart(QStringLiteral("#1")), 0);
    EXPECT_EQ(devices.LiveDevices(), devicesOfOneCaptureObject); // the first one has gone
    EXPECT_EQ(TVideoImageTestPeer::FrameCount(*image), 0);
    EXPECT_TRUE(camera->Streaming());
    bool done = false;
    image->AppIdle(done);
    camera->PushFrame(Grey(kVgaYuy2), kVgaYuy2);
    EXPECT_TRUE(WaitForFrames(2));
    EXPECT_EQ(TVideoImageTestPeer::FrameCount(*image), 1);
}

TEST_F(TVideoImageCapture, AStreamThatEndsOnItsOwnIsStoppedHereAndReportedOnceWithItsReason) {
    std::vector<QString> reasons;
    image->StreamEndCallback = [&](TVideoImage& sender, const QString& reason) {
        EXPECT_EQ(&sender, image.get());
        EXPECT_FALSE(sender.IsCapturing()); // stopped before the client hears of it
        reasons.push_back(reason);
    };
    // A user's pause, resume and stop end no stream on their own.
    Start();
    image->VideoPause();
    image->VideoResume();
    image->VideoStop();
    test::HandlePostedEvents();
    EXPECT_TRUE(reasons.empty());

    Start();
    camera->PushFrame(Grey(kVgaYuy2), kVgaYuy2);
    ASSERT_TRUE(WaitForFrames(1));
    camera->EndStream(-ENODEV);
    ASSERT_TRUE(test::RunEventsUntil([&] { return !reasons.empty(); }));
    EXPECT_EQ(reasons, std::vector<QString>{QStringLiteral("fake camera USB Camera went away")});
    EXPECT_FALSE(image->IsCapturing());
    EXPECT_FALSE(camera->Streaming());
    EXPECT_EQ(devices.LiveDevices(), 0);
    EXPECT_EQ(image->FramesPerSecond.load(), 0.0);
    test::HandlePostedEvents();
    EXPECT_EQ(reasons.size(), 1u);

    // The camera can be started again afterwards.
    Start();
    EXPECT_TRUE(camera->Streaming());
}

TEST_F(TVideoImageCapture, DestroyingARunningFacadeStopsTheCameraFirst) {
    Start();
    camera->StreamContinuously(Grey(kVgaYuy2), kVgaYuy2);
    ASSERT_TRUE(WaitForFrames(1));
    image.reset(); // without VideoStop; TearDown checks that nothing is left
}

TEST_F(TVideoImageCapture, PauseAndResume) {
    image->VideoPause(); // nothing to pause
    EXPECT_FALSE(image->IsPaused());

    Start();
    EXPECT_FALSE(image->IsPaused());
    image->VideoPause();
    EXPECT_TRUE(image->IsPaused());
    image->VideoResume();
    EXPECT_FALSE(image->IsPaused());
    EXPECT_TRUE(camera->Streaming());
}

// ---- devices and sizes ----

TEST_F(TVideoImageCapture, DevicesAreListedWithoutACaptureObject) {
    devices.AddCamera("Second Camera");
    QStringList list{QStringLiteral("stale")};
    image->GetListOfDevices(list);
    EXPECT_EQ(list, (QStringList{QStringLiteral("USB Camera"), QStringLiteral("Second Camera")}));
}

TEST_F(TVideoImageCapture, SizesComeFromTheRunningCaptureObjectOnly) {
    QStringList list{QStringLiteral("stale")};
    image->GetListOfSupportedVideoSizes(list);
    EXPECT_EQ(list, QStringList{QStringLiteral("stale")});

    Start();
    image->GetListOfSupportedVideoSizes(list);
    EXPECT_EQ(list, (QStringList{QStringLiteral("320*240  (YUY2)"), QStringLiteral("640*480  (YUY2)"),
                                 QStringLiteral("640*480  (MJPG)")}));
}

TEST_F(TVideoImageCapture, SetResolutionTakesTheNewSize) {
    Start();
    image->SetResolutionByIndex(0);
    EXPECT_EQ(image->VideoWidth, 320);
    EXPECT_EQ(image->VideoHeight, 240);
    EXPECT_EQ(TVideoImageTestPeer::FrameBitmap(*image).Width(), 320);

    camera->PushFrame(Grey(320 * 240 * 2), 320 * 240 * 2);
    ASSERT_TRUE(WaitForFrames(1));
    EXPECT_EQ(picture.Width(), 320);
    EXPECT_EQ(picture.ScanLine(239)[0], 130);
}

TEST_F(TVideoImageCapture, SetResolutionWhoseFormatReadFailsKeepsTheOldSizeAndCapturing) {
    Start();
    camera->SetFault(FaultPoint::GetFormat, com::E_FAIL);
    image->SetResolutionByIndex(0);
    EXPECT_EQ(image->VideoWidth, 640);
    EXPECT_EQ(image->VideoHeight, 480);
    EXPECT_TRUE(image->IsCapturing());
    EXPECT_TRUE(camera->WaitUntilStreaming(std::chrono::seconds(20)));

    // Samples still reach the frame procedure.
    camera->PushFrame(Grey(320 * 240 * 2), 320 * 240 * 2);
    EXPECT_TRUE(WaitForFrames(1));
}

// ---- property dialogs ----

TEST_F(TVideoImageCapture, DialogsNeedACaptureObject) {
    int shown = 0;
    const auto closer = CloseFrames(shown);
    image->ShowProperty();
    image->ShowProperty_Stream();
    EXPECT_EQ(shown, 0);
}

TEST_F(TVideoImageCapture, TheDeviceDialogLeavesCaptureRunning) {
    Start();
    int shown = 0;
    const auto closer = CloseFrames(shown);
    image->ShowProperty();
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(camera->Streaming());
    camera->PushFrame(Grey(kVgaYuy2), kVgaYuy2);
    EXPECT_TRUE(WaitForFrames(1));
}

TEST_F(TVideoImageCapture, TheStreamDialogReadsTheFormatAgainAndRegistersAgain) {
    Start();
    int shown = 0;
    const auto closer = CloseFrames(shown);
    image->ShowProperty_Stream();
    EXPECT_EQ(shown, 1);
    ASSERT_TRUE(image->IsCapturing());
    EXPECT_EQ(image->VideoWidth, 640);
    EXPECT_TRUE(camera->WaitUntilStreaming(std::chrono::seconds(20)));
    camera->PushFrame(Grey(kVgaYuy2), kVgaYuy2);
    EXPECT_TRUE(WaitForFrames(1));
}

TEST_F(TVideoImageCapture, AStreamDialogAfterWhichTheFormatCannotBeReadStopsCapture) {
    Start();
    int shown = 0;
    const auto closer = CloseFrames(shown);
    camera->SetFault(FaultPoint::GetFormat, com::E_FAIL);
    image->ShowProperty_Stream();
    EXPECT_FALSE(image->IsCapturing());
    EXPECT_FALSE(camera->Streaming());
    EXPECT_FALSE(image->IsPaused());
}

// ---- image controls ----

struct ControlReading {
    std::int32_t status = -99;
    std::int32_t min = 11, max = 12, step = 13, def = 14, value = 15;
    bool manual = false;

    static ControlReading Of(TVideoImage& image, std::int32_t index) {
        ControlReading r;
        r.status = image.GetVideoPropertySettings(index, r.min, r.max, r.step, r.def, r.value, r.manual);
        return r;
    }
    bool Defaults() const { return min == -1 && max == -1 && step == 0 && def == 0 && value == 0 && manual; }
};

TEST_F(TVideoImageCapture, ControlDefaultsWithoutACaptureObjectOrForAnotherIndex) {
    const ControlReading before = ControlReading::Of(*image, 0);
    EXPECT_EQ(before.status, 1);
    EXPECT_TRUE(before.Defaults());
    EXPECT_EQ(image->SetVideoProperty(0, 10, true), 1);

    Start();
    const ControlReading beyond = ControlReading::Of(*image, 10);
    EXPECT_EQ(beyond.status, 1);
    EXPECT_TRUE(beyond.Defaults());
    EXPECT_EQ(image->SetVideoProperty(10, 10, true), 1);
}

TEST_F(TVideoImageCapture, ControlDefaultsForADeviceWithoutImageControls) {
    camera->RemoveImageControls();
    Start();
    const ControlReading gain = ControlReading::Of(*image, 9);
    EXPECT_EQ(gain.status, 1);
    EXPECT_TRUE(gain.Defaults());
}

TEST_F(TVideoImageCapture, ControlsReadTheCurrentValueAndManualFlag) {
    Start();
    const ControlReading gain = ControlReading::Of(*image, 9); // manual, value 10
    EXPECT_EQ(gain.status, 0);
    EXPECT_EQ(gain.min, 0);
    EXPECT_EQ(gain.max, 100);
    EXPECT_EQ(gain.step, 1);
    EXPECT_EQ(gain.def, 0);
    EXPECT_EQ(gain.value, 10);
    EXPECT_TRUE(gain.manual);

    const ControlReading white = ControlReading::Of(*image, 7); // automatic
    EXPECT_EQ(white.status, 0);
    EXPECT_EQ(white.value, 4600);
    EXPECT_FALSE(white.manual);

    // A control the device lacks: its failure, and the defaults.
    const ControlReading hue = ControlReading::Of(*image, 2);
    EXPECT_LT(hue.status, 0);
    EXPECT_TRUE(hue.Defaults());
}

TEST_F(TVideoImageCapture, ControlsAreSetManualOrAutomatic) {
    Start();
    EXPECT_EQ(image->SetVideoProperty(0, 300, true), 0);
    EXPECT_EQ(camera->ControlSetting(ImageControl::Brightness), std::make_pair(300, 2));
    EXPECT_EQ(image->SetVideoProperty(7, 5000, false), 0);
    EXPECT_EQ(camera->ControlSetting(ImageControl::WhiteBalance), std::make_pair(5000, 1));
}

} // namespace
} // namespace kamsel::frames

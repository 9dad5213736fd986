// The camera pane over test cameras with fault injection: the camera list,
// start, pause, resume and stop with the button states after each, the
// dialogs and sizes, and the image-control rows. No device of the machine is
// used.

#include "PaneTestSupport.h"

#include "capture/TVideoSample.h"
#include "platform/dshow/PropertyFrame.h"
#include "platform/dshow/fake/FakeDeviceRegistry.h"
#include "tests/frames/TVideoImageTestPeer.h"

#include <QApplication>
#include <QDialog>
#include <QMetaObject>

#include <gtest/gtest.h>

#include <cerrno>

namespace kamsel::pane {
namespace {

using media::ImageControl;
using test::ButtonStates;

constexpr std::size_t kVgaYuy2 = 640 * 480 * 2;

class TFrame1Test : public ::testing::Test {
  protected:
    TFrame1& Pane() { return *under.pane; }

    // Closes every property dialog as soon as it shows, and counts them.
    dshow::ScopedPropertyFrameHook CloseDialogs() {
        return dshow::ScopedPropertyFrameHook([this](QDialog& dialog) {
            ++dialogs;
            QMetaObject::invokeMethod(&dialog, &QDialog::reject, Qt::QueuedConnection);
        });
    }

    bool WaitForFrames(std::int32_t count) {
        return test::RunEventsUntil([&] { return under.Handler().FrameCount() >= count; });
    }

    dshow::fake::FakeDeviceRegistry devices;
    test::PaneUnderTest under;
    int dialogs = 0;
};

QStringList Items(const QComboBox& box) {
    QStringList items;
    for (int i = 0; i < box.count(); ++i)
        items << box.itemText(i);
    return items;
}

// ---- the camera list ----

TEST_F(TFrame1Test, WithoutCamerasTheListSaysSoUntilACameraIsAttached) {
    Pane().InitFrame();
    EXPECT_EQ(Items(*Pane().ComboBox_Cams), QStringList{QStringLiteral("No cameras found.")});
    EXPECT_EQ(Pane().ComboBox_Cams->currentIndex(), -1);
    EXPECT_EQ(ButtonStates::Of(Pane()), test::kIdleWithoutCamera);

    devices.AddCamera("USB Camera");
    Pane().Updatelistofcameras1->trigger();
    EXPECT_EQ(Items(*Pane().ComboBox_Cams), QStringList{QStringLiteral("USB Camera")});
    EXPECT_EQ(Pane().ComboBox_Cams->currentIndex(), 0);
    EXPECT_EQ(ButtonStates::Of(Pane()), test::kIdleWithCamera);
}

TEST_F(TFrame1Test, AListingKeepsTheCameraStillListedInItsPlaceAndTheThirdStartsAsNumberThree) {
    auto first = devices.AddCamera("Cam 1");
    auto second = devices.AddCamera("Cam 2");
    auto third = devices.AddCamera("Cam 3");
    Pane().InitFrame();
    Pane().ComboBox_Cams->setCurrentIndex(1);
    Pane().UpdateCameraList();
    EXPECT_EQ(Pane().ComboBox_Cams->currentIndex(), 1);

    // The Stop's listing keeps it too: the next Start opens the same camera.
    Pane().ComboBox_Cams->setCurrentIndex(2);
    under.Start();
    EXPECT_TRUE(under.errorBoxes.empty());
    EXPECT_EQ(first->StartCount() + second->StartCount(), 0);
    EXPECT_TRUE(third->Streaming());
    Pane().SpeedButton_Stop->click();
    EXPECT_EQ(Pane().ComboBox_Cams->currentIndex(), 2);
    under.Start();
    EXPECT_EQ(first->StartCount() + second->StartCount(), 0);
    EXPECT_TRUE(third->Streaming());
    Pane().SpeedButton_Stop->click();

    // Another name in that place, or the place gone: the first camera.
    devices.RemoveCamera(third);
    devices.AddCamera("Cam 4");
    Pane().UpdateCameraList();
    EXPECT_EQ(Pane().ComboBox_Cams->currentIndex(), 0);
    Pane().ComboBox_Cams->setCurrentIndex(2);
    devices.RemoveCamera(first);
    Pane().UpdateCameraList();
    EXPECT_EQ(Pane().ComboBox_Cams->currentIndex(), 0);
}

// ---- start, pause, resume, stop ----

TEST_F(TFrame1Test, AStartFillsSizeLabelSizeListAndButtons) {
    devices.AddCamera("USB Camera");
    Pane().InitFrame();
    under.Start();
    EXPECT_EQ(ButtonStates::Of(Pane()), test::kRunning);
    EXPECT_EQ(Pane().Label_VideoSize->text(), QStringLiteral("Video size 640 x 480"));
    EXPECT_EQ(Pane().ComboBox1->count(), 3);
    EXPECT_EQ(Pane().ComboBox1->currentIndex(), -1);
}

TEST_F(TFrame1Test, ARefusedStartShowsTheErrorAndChangesNoButton) {
    auto camera = devices.AddCamera("USB Camera");
    camera->SetOpenError(-EBUSY);
    Pane().InitFrame();
    under.Start();
    EXPECT_EQ(under.errorBoxes, std::vector<QString>{QStringLiteral("Could not start video (Error 1)")});
    EXPECT_EQ(ButtonStates::Of(Pane()), test::kIdleWithCamera);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr); // the wait cursor has gone again

    // Refused while paused on another run: still nothing changes.
    camera->SetOpenError(0);
    under.Start();
    Pane().SpeedButton_Pause->click();
    Pane().SpeedButton_Stop->click();
    camera->SetOpenError(-EBUSY);
    under.Start();
    EXPECT_EQ(under.errorBoxes.size(), 2u);
    EXPECT_EQ(ButtonStates::Of(Pane()), test::kIdleWithCamera);
}

TEST_F(TFrame1Test, AClickWaitingWhileTheCameraStartsDoesNotStartItAgain) {
    auto camera = devices.AddCamera("USB Camera");
    Pane().InitFrame();
    QMetaObject::invokeMethod(Pane().SpeedButton_RunVideo, &QToolButton::click, Qt::QueuedConnection);
    under.Start();
    QCoreApplication::processEvents();
    EXPECT_EQ(camera->OpenCount(), 1);
    EXPECT_EQ(ButtonStates::Of(Pane()), test::kRunning);
}

TEST_F(TFrame1Test, PauseThenStartResumesTheSameCaptureAndTheFrameCountGoesOn) {
    auto camera = devices.AddCamera("USB Camera");
    Pane().InitFrame();
    under.Start();
    camera->StreamContinuously(std::vector<std::uint8_t>(kVgaYuy2, 128), kVgaYuy2);
    ASSERT_TRUE(WaitForFrames(3));

    Pane().SpeedButton_Pause->click();
    EXPECT_EQ(ButtonStates::Of(Pane()), test::kPaused);
    EXPECT_TRUE(Pane().FVideoImage->IsPaused());
    Pane().ComboBox1->clear(); // a new start would fill it again
    const std::int32_t counted = under.Handler().FrameCount();
    const capture::TVideoSample* capture = frames::TVideoImageTestPeer::VideoSample(*Pane().FVideoImage);

    Pane().SpeedButton_RunVideo->click();
    EXPECT_EQ(ButtonStates::Of(Pane()), test::kRunning);
    EXPECT_EQ(frames::TVideoImageTestPeer::VideoSample(*Pane().FVideoImage), capture);
    EXPECT_EQ(camera->OpenCount(), 1);
    EXPECT_EQ(Pane().ComboBox1->count(), 0);
    EXPECT_GE(under.Handler().FrameCount(), counted);
    EXPECT_TRUE(WaitForFrames(counted + 3));
}

TEST_F(TFrame1Test, AfterStopTheLastPictureAndTheLabelsStay) {
    auto camera = devices.AddCamera("USB Camera");
    Pane().InitFrame();
    under.Start();
    camera->StreamContinuously(std::vector<std::uint8_t>(kVgaYuy2, 128), kVgaYuy2);
    ASSERT_TRUE(WaitForFrames(2));
    Pane().SetRateCaption(QStringLiteral("fps: 30.0 [30.0] (0 [0] skipped)"));
    const QImage picture = Pane().PaintBox_Video->Backing().copy();
    EXPECT_EQ(test::BoxPixel(Pane(), 0, 0), (std::array<int, 3>{130, 130, 130}));

    Pane().StopVideoIfRunning();
    QCoreApplication::processEvents();
    EXPECT_FALSE(camera->Streaming());
    EXPECT_EQ(ButtonStates::Of(Pane()), test::kIdleWithCamera);
    EXPECT_EQ(Pane().PaintBox_Video->Backing(), picture);
    EXPECT_EQ(Pane().Label_VideoSize->text(), QStringLiteral("Video size 640 x 480"));
    EXPECT_EQ(Pane().Label_fps->text(), QStringLiteral("fps: 30.0 [30.0] (0 [0] skipped)"));
    EXPECT_EQ(Pane().ComboBox1->count(), 3);

    // Nothing to stop any more.
    Pane().StopVideoIfRunning();
    EXPECT_EQ(ButtonStates::Of(Pane()), test::kIdleWithCamera);
}

TEST_F(TFrame1Test, AStreamThatEndsOnItsOwnLeavesThePaneIdleWithOneBoxSayingWhy) {
    auto camera = devices.AddCamera("USB Camera");
    Pane().InitFrame();
    // Stopped or paused by the user: no box.
    under.Start();
    Pane().SpeedButton_Pause->click();
    under.Start();
    Pane().SpeedButton_Stop->click();
    frames::test::HandlePostedEvents();
    EXPECT_TRUE(under.errorBoxes.empty());

    under.Start();
    camera->StreamContinuously(std::vector<std::uint8_t>(kVgaYuy2, 128), kVgaYuy2);
    ASSERT_TRUE(WaitForFrames(2));
    Pane().SpeedButton_Pause->click(); // ended while paused, it still counts
    under.Start();
    camera->EndStream(-ENODEV);
    ASSERT_TRUE(test::RunEventsUntil([&] { return !under.errorBoxes.empty(); }));
    frames::test::HandlePostedEvents();
    EXPECT_EQ(under.errorBoxes,
              std::vector<QString>{QStringLiteral("Video stopped: fake camera USB Camera went away")});
    EXPECT_EQ(ButtonStates::Of(Pane()), test::kIdleWithCamera);
    EXPECT_FALSE(Pane().FVideoImage->IsCapturing());
    EXPECT_EQ(devices.LiveDevices(), 0);

    under.Start(); // the user can start again
    EXPECT_EQ(ButtonStates::Of(Pane()), test::kRunning);
    EXPECT_EQ(under.errorBoxes.size(), 1u);
}

TEST_F(TFrame1Test, AStreamThatEndsWhileTheCameraStartsLeavesThePaneIdle) {
    auto camera = devices.AddCamera("USB Camera");
    camera->EndStream(-ENODEV); // the first stream of the start takes it
    Pane().InitFrame();
    Pane().SpeedButton_RunVideo->click();
    ASSERT_TRUE(test::RunEventsUntil([&] { return !under.errorBoxes.empty(); }));
    frames::test::HandlePostedEvents();
    EXPECT_EQ(under.errorBoxes.size(), 1u);
    EXPECT_EQ(ButtonStates::Of(Pane()), test::kIdleWithCamera);
    EXPECT_FALSE(Pane().FVideoImage->IsCapturing());
}

TEST_F(TFrame1Test, ReleaseDisposesTheFacadeAndAllowsANewSetUp) {
    devices.AddCamera("USB Camera");
    Pane().InitFrame();
    const frames::TVideoImage* first = Pane().FVideoImage.get();
    Pane().InitFrame(); // once only
    EXPECT_EQ(Pane().FVideoImage.get(), first);

    Pane().ReleaseVideo();
    EXPECT_EQ(Pane().FVideoImage, nullptr);
    EXPECT_FALSE(Pane().FInitialised);
    Pane().SpeedButton_RunVideoClick(); // harmless without a facade
    Pane().InitFrame();
    EXPECT_NE(Pane().FVideoImage, nullptr);
    EXPECT_EQ(Pane().findChildren<QSlider*>().size(), 10);
}

// ---- dialogs and sizes ----

TEST_F(TFrame1Test, DialogsOpenAndAChosenSizeTakesEffect) {
    devices.AddCamera("USB Camera");
    Pane().InitFrame();
    under.Start();
    const auto closer = CloseDialogs();
    Pane().SpeedButton_VidSettings->click();
    Pane().SpeedButton_VidSize->click();
    EXPECT_EQ(dialogs, 2);
    EXPECT_EQ(ButtonStates::Of(Pane()), test::kRunning);

    const int small = Pane().ComboBox1->findText(QStringLiteral("320*240  (YUY2)"));
    ASSERT_GE(small, 0);
    Pane().ComboBox1->setCurrentIndex(small);
    Pane().ComboBox1Change();
    EXPECT_EQ(Pane().Label_VideoSize->text(), QStringLiteral("Video size 320 x 240"));

    // After a stop the list stays and choosing changes nothing.
    Pane().SpeedButton_Stop->click();
    Pane().ComboBox1->setCurrentIndex(0);
    Pane().ComboBox1Change();
    EXPECT_EQ(Pane().Label_VideoSize->text(), QStringLiteral("Video size 320 x 240"));
}

TEST_F(TFrame1Test, AStreamDialogThatEndsCaptureLeavesThePaneIdle) {
    auto camera = devices.AddCamera("USB Camera");
    Pane().InitFrame();
    under.Start();
    const auto closer = CloseDialogs();
    camera->SetFault(dshow::FaultPoint::GetFormat, com::E_FAIL);
    Pane().SpeedButton_VidSize->click();
    EXPECT_FALSE(camera->Streaming());
    EXPECT_EQ(ButtonStates::Of(Pane()), test::kIdleWithCamera);
}

// ---- image-control rows ----

TEST_F(TFrame1Test, RowsShowWhatTheDeviceOffersAndFillingWritesNothing) {
    auto camera = devices.AddCamera("USB Camera"); // brightness, white balance and gain
    Pane().InitFrame();
    for (const TImageControlRow& row : Pane().FControlRows) {
        EXPECT_TRUE(row.NameLabel->isEnabled());
        EXPECT_FALSE(row.TrackBar->isEnabled());
        EXPECT_FALSE(row.CheckBox->isEnabled());
    }
    const auto whiteBefore = camera->ControlSetting(ImageControl::WhiteBalance);
    under.Start();

    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(i);
        const TImageControlRow& row = Pane().FControlRows[std::size_t(i)];
        const bool offered = i == 0 || i == 7 || i == 9;
        EXPECT_EQ(row.NameLabel->isEnabled(), offered);
        EXPECT_EQ(row.TrackBar->isEnabled(), offered);
        EXPECT_EQ(row.CheckBox->isEnabled(), offered);
    }
    const TImageControlRow& white = Pane().FControlRows[7];
    EXPECT_EQ(white.TrackBar->minimum(), 2800);
    EXPECT_EQ(white.TrackBar->maximum(), 6500);
    EXPECT_EQ(white.TrackBar->tickInterval(), 10);
    EXPECT_EQ(white.TrackBar->value(), 4600);
    EXPECT_FALSE(white.CheckBox->isChecked()); // automatic
    EXPECT_TRUE(Pane().FControlRows[9].CheckBox->isChecked());
    EXPECT_EQ(camera->ControlSetting(ImageControl::WhiteBalance), whiteBefore);
}

TEST_F(TFrame1Test, ADeviceWithoutImageControlsKeepsEveryRowDisabled) {
    auto camera = devices.AddCamera("USB Camera");
    camera->RemoveImageControls();
    Pane().InitFrame();
    under.Start();
    for (const TImageControlRow& row : Pane().FControlRows) {
        EXPECT_FALSE(row.NameLabel->isEnabled());
        EXPECT_FALSE(row.TrackBar->isEnabled());
        EXPECT_FALSE(row.CheckBox->isEnabled());
    }
}

TEST_F(TFrame1Test, AControlThatCannotBeReadDisablesItsWholeRowAfterAnotherCameraFilledIt) {
    auto first = devices.AddCamera("Cam 1");
    auto second = devices.AddCamera("Cam 2");
    second->SetFault(dshow::FaultPoint::ProcAmpGetRange, com::E_FAIL, int(ImageControl::WhiteBalance));
    Pane().InitFrame();
    under.Start();
    const TImageControlRow& white = Pane().FControlRows[7];
    ASSERT_TRUE(white.TrackBar->isEnabled());
    Pane().SpeedButton_Stop->click();

    Pane().ComboBox_Cams->setCurrentIndex(1);
    under.Start();
    ASSERT_TRUE(second->Streaming());
    EXPECT_FALSE(white.NameLabel->isEnabled());
    EXPECT_FALSE(white.TrackBar->isEnabled());
    EXPECT_FALSE(white.CheckBox->isEnabled());
    EXPECT_TRUE(Pane().FControlRows[9].TrackBar->isEnabled()); // the others still read
}

TEST_F(TFrame1Test, SliderAndBoxWriteValueAndModeTogether) {
    auto camera = devices.AddCamera("USB Camera");
    Pane().InitFrame();
    under.Start();
    const TImageControlRow& white = Pane().FControlRows[7];

    white.TrackBar->setValue(5000); // still automatic
    EXPECT_EQ(camera->ControlSetting(ImageControl::WhiteBalance),
              std::make_pair(std::int32_t(5000), media::kControlFlagsAuto));
    white.CheckBox->click();
    EXPECT_EQ(camera->ControlSetting(ImageControl::WhiteBalance),
              std::make_pair(std::int32_t(5000), media::kControlFlagsManual));
    white.CheckBox->click();
    EXPECT_EQ(camera->ControlSetting(ImageControl::WhiteBalance),
              std::make_pair(std::int32_t(5000), media::kControlFlagsAuto));
}

} // namespace
} // namespace kamsel::pane

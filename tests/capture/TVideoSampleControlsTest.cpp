// The capture object's image controls and the device's property dialogs.

#include "VideoSampleFixture.h"

#include "platform/dshow/PropertyFrame.h"

#include <QDialog>
#include <QMetaObject>

#include <cerrno>
#include <chrono>
#include <optional>

namespace kamsel::capture::test {
namespace {

using com::HRESULT;
using com::LONG;
using com::S_FALSE;
using com::S_OK;
using dshow::FaultPoint;
using media::ImageControl;

constexpr LONG kBrightness = dshow::VideoProcAmp_Brightness;
constexpr LONG kHue = dshow::VideoProcAmp_Hue;
constexpr LONG kWhiteBalance = dshow::VideoProcAmp_WhiteBalance;
constexpr LONG kGain = dshow::VideoProcAmp_Gain;

// The outputs of one settings query, each starting at a value of its own.
struct Settings {
    LONG min = 11, max = 12, step = 13, def = 14, flags = 15, value = 16;

    HRESULT Read(TVideoSample& sample, LONG property) {
        return sample.GetVideoPropertySettings(property, min, max, step, def, flags, value);
    }
    bool Untouched() const {
        return min == 11 && max == 12 && step == 13 && def == 14 && flags == 15 && value == 16;
    }
};

// What a property frame showed, seen from inside it; it is closed at once.
struct FrameSeen {
    int frames = 0;
    QString title;
    bool streaming = false;
};

class VideoControlsTest : public VideoSampleTest {
  protected:
    dshow::ScopedPropertyFrameHook CloseFrames(FrameSeen& seen) {
        return dshow::ScopedPropertyFrameHook([this, &seen](QDialog& dialog) {
            ++seen.frames;
            seen.title = dialog.windowTitle();
            seen.streaming = camera_->Streaming();
            QMetaObject::invokeMethod(&dialog, &QDialog::reject, Qt::QueuedConnection);
        });
    }
};

TEST_F(VideoControlsTest, WithoutImageControlsBothOperationsAnswerOne) {
    // A device without any of the ten controls, and one whose interface
    // cannot be reached.
    for (const bool removed : {true, false}) {
        SCOPED_TRACE(removed ? "no controls" : "interface refused");
        if (removed)
            camera_->RemoveImageControls();
        else
            camera_->SetFault(FaultPoint::QueryVideoProcAmp, com::E_NOINTERFACE);
        ASSERT_EQ(Start(), S_OK);

        Settings settings;
        EXPECT_EQ(settings.Read(*sample_, kBrightness), S_FALSE);
        EXPECT_TRUE(settings.Untouched());
        EXPECT_EQ(sample_->SetVideoProperty(kBrightness, 2, 10), S_FALSE);
        sample_.reset();
    }
}

TEST_F(VideoControlsTest, SettingsGiveTheRangeThenTheCurrentValueAndFlags) {
    ASSERT_EQ(Start(), S_OK);

    Settings gain;
    EXPECT_EQ(gain.Read(*sample_, kGain), S_OK);
    EXPECT_EQ(gain.min, 0);
    EXPECT_EQ(gain.max, 100);
    EXPECT_EQ(gain.step, 1);
    EXPECT_EQ(gain.def, 0);
    EXPECT_EQ(gain.value, 10);
    EXPECT_EQ(gain.flags, dshow::VideoProcAmp_Flags_Manual);

    Settings white;
    EXPECT_EQ(white.Read(*sample_, kWhiteBalance), S_OK);
    EXPECT_EQ(white.value, 4600);
    EXPECT_EQ(white.flags, dshow::VideoProcAmp_Flags_Auto);
}

TEST_F(VideoControlsTest, FailingQueriesReturnTheirStatus) {
    ASSERT_EQ(Start(), S_OK);

    // A control the device lacks: the range query fails; value takes the
    // default output as it stands.
    Settings hue;
    EXPECT_EQ(hue.Read(*sample_, kHue), com::HresultFromErrno(EINVAL));
    EXPECT_EQ(hue.value, hue.def);

    // Reading the current value fails: the default and the capability flags remain.
    camera_->SetFault(FaultPoint::ProcAmpGet, com::E_FAIL, kGain);
    Settings gain;
    EXPECT_EQ(gain.Read(*sample_, kGain), com::E_FAIL);
    EXPECT_EQ(gain.value, 0);
    EXPECT_EQ(gain.flags, dshow::VideoProcAmp_Flags_Auto | dshow::VideoProcAmp_Flags_Manual);
}

TEST_F(VideoControlsTest, SetPassesValueAndFlagsUnchanged) {
    ASSERT_EQ(Start(), S_OK);

    // Beyond the range 0..255: the device decides, not the capture object.
    EXPECT_EQ(sample_->SetVideoProperty(kBrightness, dshow::VideoProcAmp_Flags_Manual, 300), S_OK);
    EXPECT_EQ(camera_->ControlSetting(ImageControl::Brightness), std::make_pair(300, 2));
    EXPECT_EQ(sample_->SetVideoProperty(kWhiteBalance, dshow::VideoProcAmp_Flags_Auto, 5000), S_OK);
    EXPECT_EQ(camera_->ControlSetting(ImageControl::WhiteBalance), std::make_pair(5000, 1));

    camera_->SetFault(FaultPoint::ProcAmpSet, com::E_ACCESSDENIED, kGain);
    EXPECT_EQ(sample_->SetVideoProperty(kGain, dshow::VideoProcAmp_Flags_Manual, 50), com::E_ACCESSDENIED);
    EXPECT_EQ(camera_->ControlSetting(ImageControl::Gain), std::make_pair(10, 2));
}

TEST_F(VideoControlsTest, DeviceDialogIsCaptionedWithTheFilterNameWhileCaptureGoesOn) {
    ASSERT_EQ(Start(), S_OK);
    ASSERT_TRUE(camera_->WaitUntilStreaming(std::chrono::seconds(20)));
    FrameSeen seen;
    const auto hook = CloseFrames(seen);

    EXPECT_EQ(sample_->ShowPropertyDialog(), S_OK);

    EXPECT_EQ(seen.frames, 1);
    EXPECT_EQ(seen.title, QStringLiteral("Video Capture"));
    EXPECT_TRUE(seen.streaming);
    EXPECT_TRUE(camera_->Streaming());
}

TEST_F(VideoControlsTest, StreamDialogRunsWithTheGraphStoppedAndLeavesItRunning) {
    ASSERT_EQ(Start(), S_OK);
    ASSERT_EQ(sample_->PauseVideo(), S_OK);
    FrameSeen seen;
    const auto hook = CloseFrames(seen);

    EXPECT_EQ(sample_->ShowStreamPropertyDialog(), S_OK);

    EXPECT_EQ(seen.frames, 1);
    EXPECT_TRUE(seen.title.isEmpty());
    EXPECT_FALSE(seen.streaming);
    EXPECT_TRUE(camera_->WaitUntilStreaming(std::chrono::seconds(20)));
    EXPECT_EQ(sample_->GetState(), 1);
}

TEST_F(VideoControlsTest, DialogsThatCannotOpenReturnWhyAndShowNothing) {
    ASSERT_EQ(Start(), S_OK);
    FrameSeen seen;
    const auto hook = CloseFrames(seen);
    constexpr HRESULT kFault = com::MakeHresult(0x8007001Fu);

    // Empty page list: nothing to show, and that is no failure.
    camera_->SetDeviceControls({});
    EXPECT_EQ(sample_->ShowPropertyDialog(), S_OK);

    for (const FaultPoint point :
         {FaultPoint::QueryFilterInfo, FaultPoint::QueryPropertyPages, FaultPoint::FilterGetPages}) {
        camera_->SetFault(point, kFault);
        EXPECT_EQ(sample_->ShowPropertyDialog(), kFault);
        camera_->ClearFault(point);
    }
    camera_->SetFault(FaultPoint::StreamGetPages, kFault);
    EXPECT_EQ(sample_->ShowStreamPropertyDialog(), kFault);
    EXPECT_TRUE(camera_->WaitUntilStreaming(std::chrono::seconds(20)));

    camera_->SetFault(FaultPoint::QueryStreamConfig, com::E_NOINTERFACE);
    EXPECT_EQ(sample_->ShowStreamPropertyDialog(), com::E_NOINTERFACE);
    EXPECT_TRUE(camera_->WaitUntilStreaming(std::chrono::seconds(20)));
    EXPECT_EQ(sample_->GetState(), 2);

    EXPECT_EQ(seen.frames, 0);
}

} // namespace
} // namespace kamsel::capture::test

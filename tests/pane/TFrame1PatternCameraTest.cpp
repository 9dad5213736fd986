// End to end on the pattern virtual camera, declared the way a user declares
// it: one pane lists it, starts it, and shows its moving frames in every
// display mode; in "Surveillance" changed frames become snapshot files.
// Real clock, real idle notification.

#include "PaneTestSupport.h"
#include "tests/pane/FrameHandlerTestPeer.h"

#include "platform/dshow/DeviceCatalog.h"
#include "platform/dshow/fake/FakeDeviceRegistry.h"
#include "platform/virtualcam/VirtualCameraSource.h"

#include <QDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace kamsel::pane {
namespace {

dshow::DeviceProviders PatternCamera() {
    const char* name = virtualcam::VirtualCameraSource::kEnvironmentVariable;
    std::optional<std::string> previous;
    if (const char* old = std::getenv(name))
        previous = old;
    ::setenv(name, "Pattern Cam=pattern", 1);
    auto source = virtualcam::VirtualCameraSource::FromEnvironment();
    if (previous)
        ::setenv(name, previous->c_str(), 1);
    else
        ::unsetenv(name);
    return {std::make_shared<dshow::MediaSourceProvider>(std::move(source))};
}

class TFrame1PatternCamera : public ::testing::Test {
  protected:
    TFrame1& Pane() { return *under.pane; }
    FrameHandler& Handler() { return under.Handler(); }

    // Waits for count more frames handled in the current mode.
    bool MoreFrames(int count) {
        const std::int32_t target = Handler().FrameCount() + count;
        return test::RunEventsUntil([&] { return Handler().FrameCount() >= target; });
    }

    dshow::fake::FakeDeviceRegistry devices{PatternCamera()};
    test::PaneUnderTest under{true};
};

TEST_F(TFrame1PatternCamera, FramesReachThePaintBoxInEveryDisplayMode) {
    Pane().InitFrame();
    ASSERT_EQ(Pane().ComboBox_Cams->currentText(), QStringLiteral("Pattern Cam"));
    Pane().SpeedButton_RunVideo->click();
    ASSERT_TRUE(under.errorBoxes.empty());
    ASSERT_EQ(Pane().Label_VideoSize->text(), QStringLiteral("Video size 640 x 480"));

    for (int mode = kNoDisplayMode; mode <= kSurveillance; ++mode) {
        SCOPED_TRACE(mode);
        Pane().ComboBox_DisplayMode->setCurrentIndex(mode);
        ASSERT_TRUE(MoreFrames(3));
        // Between two frames the box shows what the handler drew last.
        const frames::Bitmap24& shown = mode <= kNormal ? FrameHandlerTestPeer::NewestFrame(Handler())
                                                        : FrameHandlerTestPeer::DisplayBitmap(Handler());
        EXPECT_EQ(shown.Width(), 640);
        EXPECT_TRUE(test::BoxShows(Pane(), shown));
        if (mode >= kDifferenceMap) {
            EXPECT_TRUE(Pane().Label2->text().startsWith(QStringLiteral("Diff-Ratio: ")));
        }
    }
    // The scene moves, so surveillance has found changes worth keeping.
    ASSERT_TRUE(test::RunEventsUntil([&] { return Handler().SnapshotCount() > 0; }));
    const QDir spy(under.folder.path() + QStringLiteral("/Spy"));
    EXPECT_FALSE(spy.entryList({QStringLiteral("Spy_*.jpg")}, QDir::Files).isEmpty());
    EXPECT_TRUE(under.exceptionMessages.empty());

    Pane().SpeedButton_Stop->click();
    EXPECT_EQ(test::ButtonStates::Of(Pane()), test::kIdleWithCamera);
}

TEST_F(TFrame1PatternCamera, AllTenRowsFollowTheCamera) {
    Pane().InitFrame();
    Pane().SpeedButton_RunVideo->click();
    for (const TImageControlRow& row : Pane().FControlRows) {
        EXPECT_TRUE(row.TrackBar->isEnabled());
        EXPECT_LT(row.TrackBar->minimum(), row.TrackBar->maximum());
    }
    Pane().SpeedButton_Pause->click();
    Pane().SpeedButton_RunVideo->click();
    EXPECT_TRUE(MoreFrames(2));
}

} // namespace
} // namespace kamsel::pane

// The capture object over a V4L2 camera, emulated behind the system-call
// seam: the same code that streams virtual cameras and fakes.

#include "SampleRecorder.h"

#include "capture/TVideoSample.h"

#include "platform/dshow/LiveObject.h"
#include "platform/dshow/fake/FakeDeviceRegistry.h"
#include "platform/v4l2/V4l2DeviceSource.h"
#include "support/LogCapture.h"
#include "tests/platform/v4l2/EmulatedV4l2Io.h"
#include "tests/platform/v4l2/ThreadsCannotStart.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace kamsel::capture::test {
namespace {

using com::LONG;
using com::S_OK;

constexpr char kNode[] = "/dev/video0";

class V4l2CameraTest : public ::testing::Test {
  protected:
    V4l2CameraTest() {
        io_->AddNode(kNode, v4l2::testing::TypicalCamera("Emulated Camera"));
        com::HRESULT created = com::E_FAIL;
        sample_ = TVideoSample::Create(dshow::HWND(&owner_), false, TVideoSample::kSampleCBMode, created);
        EXPECT_EQ(created, S_OK);
    }
    void TearDown() override {
        sample_.reset();
        EXPECT_FALSE(io_->Streaming(kNode));
        EXPECT_EQ(io_->OpenDescriptors(), 0);
        EXPECT_EQ(io_->Mappings(), 0);
        EXPECT_EQ(dshow::LiveObjectCount(), objectsBefore_);
    }

    com::HRESULT Start() {
        QString found;
        const com::HRESULT hr = sample_->StartVideo(QStringLiteral("#1"), false, found);
        EXPECT_EQ(found, QStringLiteral("Emulated Camera"));
        return hr;
    }

    // First, so that it outlives every stream of the test.
    kamsel::test::LogCapture log_{"kamsel.capture"};
    std::shared_ptr<v4l2::testing::EmulatedV4l2Io> io_ = std::make_shared<v4l2::testing::EmulatedV4l2Io>();
    dshow::fake::FakeDeviceRegistry devices_{{std::make_shared<dshow::MediaSourceProvider>(
        std::make_unique<v4l2::V4l2DeviceSource>(io_, "/dev"))}};
    QWidget owner_;
    const long objectsBefore_ = dshow::LiveObjectCount();
    SampleRecorder recorder_;
    std::unique_ptr<TVideoSample> sample_;
};

TEST_F(V4l2CameraTest, FormatsAreListedSortedAndFramesArrive) {
    ASSERT_EQ(Start(), S_OK);
    sample_->SetCallBack(recorder_.CallBack());

    QStringList sizes;
    sample_->GetListOfVideoSizes(&sizes);
    EXPECT_EQ(sizes, (QStringList{"320*240  (YUY2)", "640*480  (YUY2)", "640*480  (MJPG)", "1280*720  (YUY2)",
                                  "1280*720  (MJPG)", "1920*1080  (MJPG)"}));

    io_->Push(kNode, v4l2::testing::FrameEvent::Frame(640 * 480 * 2));
    ASSERT_TRUE(recorder_.WaitForSamples(1));
    EXPECT_EQ(recorder_.Samples()[0].length, 640 * 480 * 2);

    // Another size, applied through the driver.
    ASSERT_EQ(sample_->SetVideoFormat(static_cast<std::int32_t>(sizes.indexOf("1280*720  (MJPG)"))), S_OK);
    EXPECT_EQ(io_->CurrentPixelFormat(kNode), static_cast<std::uint32_t>(V4L2_PIX_FMT_MJPEG));
    std::int32_t width = 0, height = 0;
    std::uint32_t fourcc = 0;
    ASSERT_EQ(sample_->GetVideoFormat(width, height, fourcc), S_OK);
    EXPECT_EQ(std::make_tuple(width, height, fourcc), std::make_tuple(1280, 720, media::FourCC("MJPG")));
}

// Only a status code travels back to the user; the reason a camera failed,
// with its node and the system's words, is logged once.
TEST_F(V4l2CameraTest, AStreamThatEndsIsLoggedOnceWithItsReason) {
    ASSERT_EQ(Start(), S_OK);
    sample_->SetCallBack(recorder_.CallBack());
    io_->Push(kNode, v4l2::testing::FrameEvent::Frame(640 * 480 * 2));
    io_->Push(kNode, v4l2::testing::FrameEvent::Unplug());
    ASSERT_TRUE(log_.WaitForEntries(1));

    // The graph tells its application too, in the same words.
    com::ComPtr<dshow::IMediaEventEx> events;
    ASSERT_EQ(
        sample_->GetGraph()->QueryInterface(dshow::IID_IMediaEventEx, events.ReleaseAndGetVoidAddress()),
        S_OK);
    com::LONG code = 0;
    dshow::LONG_PTR status = 0;
    dshow::LONG_PTR text = 0;
    ASSERT_EQ(events->GetEvent(&code, &status, &text, 10000), S_OK);
    EXPECT_EQ(code, dshow::EC_ERRORABORTEX);
    EXPECT_TRUE(com::FAILED(com::HRESULT(status)));
    const auto words = reinterpret_cast<dshow::BSTR>(text);
    EXPECT_EQ(QString::fromUtf16(words, qsizetype(dshow::SysStringLen(words))),
              "cannot dequeue a frame from /dev/video0: No such device");
    events->FreeEventParams(code, status, text);
    EXPECT_EQ(events->GetEvent(&code, &status, &text, 0), com::E_ABORT);

    // Pausing and resuming after the unplug fails again, and says so again.
    EXPECT_EQ(sample_->PauseVideo(), S_OK);
    EXPECT_NE(sample_->ResumeVideo(), S_OK);
    const std::vector<kamsel::test::LogCapture::Entry> entries = log_.Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].type, QtWarningMsg);
    EXPECT_EQ(entries[0].text, "cannot dequeue a frame from /dev/video0: No such device");
    EXPECT_EQ(entries[1].text, "cannot read the format of /dev/video0: No such device");
}

TEST_F(V4l2CameraTest, AFailedStartReturnsItsStatusAndLogsItsReason) {
    io_->FailNext(kNode, VIDIOC_STREAMON, EBUSY);
    EXPECT_LT(Start(), 0);

    EXPECT_EQ(log_.Texts(),
              std::vector<QString>{"cannot start streaming on /dev/video0: Device or resource busy"});
    EXPECT_FALSE(io_->Streaming(kNode));
    EXPECT_EQ(io_->Mappings(), 0);
}

TEST_F(V4l2CameraTest, AStreamingThreadThatCannotStartFailsTheStartWithAStatus) {
    com::HRESULT started = S_OK;
    {
        const v4l2::testing::ThreadsCannotStart noThreads;
        started = Start();
    }
    EXPECT_LT(started, 0);
    EXPECT_EQ(log_.Texts(),
              std::vector<QString>{
                  "cannot start the streaming thread for /dev/video0: Resource temporarily unavailable"});
    EXPECT_FALSE(io_->Streaming(kNode));
    EXPECT_EQ(io_->Mappings(), 0);
    EXPECT_EQ(io_->Buffers(kNode), 0u);
}

TEST_F(V4l2CameraTest, ImageControlsReachTheDriverInTheirMode) {
    ASSERT_EQ(Start(), S_OK);

    // Manual white balance: the automatic control goes off, the temperature is set.
    EXPECT_EQ(
        sample_->SetVideoProperty(dshow::VideoProcAmp_WhiteBalance, dshow::VideoProcAmp_Flags_Manual, 5000),
        S_OK);
    EXPECT_EQ(io_->ControlValue(kNode, V4L2_CID_AUTO_WHITE_BALANCE), 0);
    EXPECT_EQ(io_->ControlValue(kNode, V4L2_CID_WHITE_BALANCE_TEMPERATURE), 5000);
    LONG min = 0, max = 0, step = 0, def = 0, flags = 0, value = 0;
    ASSERT_EQ(sample_->GetVideoPropertySettings(dshow::VideoProcAmp_WhiteBalance, min, max, step, def, flags,
                                                value),
              S_OK);
    EXPECT_EQ(std::make_tuple(min, max, step, value, flags),
              std::make_tuple(2800, 6500, 10, 5000, LONG{dshow::VideoProcAmp_Flags_Manual}));

    // Automatic: the driver's automatic control comes on.
    EXPECT_EQ(
        sample_->SetVideoProperty(dshow::VideoProcAmp_WhiteBalance, dshow::VideoProcAmp_Flags_Auto, 5000),
        S_OK);
    EXPECT_EQ(io_->ControlValue(kNode, V4L2_CID_AUTO_WHITE_BALANCE), 1);
    ASSERT_EQ(sample_->GetVideoPropertySettings(dshow::VideoProcAmp_WhiteBalance, min, max, step, def, flags,
                                                value),
              S_OK);
    EXPECT_EQ(flags, dshow::VideoProcAmp_Flags_Auto);

    // A control without an automatic mode takes its value.
    EXPECT_EQ(
        sample_->SetVideoProperty(dshow::VideoProcAmp_Brightness, dshow::VideoProcAmp_Flags_Manual, -10),
        S_OK);
    EXPECT_EQ(io_->ControlValue(kNode, V4L2_CID_BRIGHTNESS), -10);
}

} // namespace
} // namespace kamsel::capture::test

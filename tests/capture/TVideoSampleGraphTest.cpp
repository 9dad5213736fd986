// The capture object's graph: building, starting, pausing, resuming and
// destroying it, and the samples that reach the registered procedure.

#include "VideoSampleFixture.h"

#include "platform/dshow/ClassRegistry.h"
#include "platform/dshow/fake/FailingFactory.h"
#include "support/LogCapture.h"

#include <chrono>
#include <thread>
#include <tuple>

namespace kamsel::capture::test {
namespace {

using com::E_FAIL;
using com::E_POINTER;
using com::HRESULT;
using com::LONG;
using com::S_FALSE;
using com::S_OK;
using dshow::FaultPoint;

constexpr std::size_t kYuy2Size = 640 * 480 * 2;

// Polls a condition that another thread makes true; false if it never does.
template <class Condition>
bool Eventually(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

TEST_F(VideoSampleTest, StartRunsCaptureFilterGrabberAndNullRenderer) {
    ASSERT_EQ(Start(QStringLiteral("#1")), S_OK);

    EXPECT_EQ(foundName_, QStringLiteral("USB Camera"));
    EXPECT_EQ(sample_->GetState(), 2);
    EXPECT_TRUE(InGraph(sample_->GetCaptureFilter(), QStringLiteral("Video Capture")));
    EXPECT_TRUE(InGraph(sample_->GetGrabberFilter(), QStringLiteral("Sample Grabber")));
    EXPECT_TRUE(InGraph(sample_->GetNullRenderer(), QStringLiteral("Null Renderer")));
    EXPECT_TRUE(camera_->WaitUntilStreaming(std::chrono::seconds(20)));
    EXPECT_EQ(sample_->GetFormats().size(), 3u);
}

TEST_F(VideoSampleTest, PreviewDrawsIntoTheOwnerWindowInsteadOfTheNullRenderer) {
    owner_.resize(320, 240);
    ASSERT_EQ(Start(QStringLiteral("#1"), true), S_OK);
    sample_->SetCallBack(recorder_.CallBack());

    EXPECT_TRUE(InGraph(sample_->GetCaptureFilter(), QStringLiteral("Video Capture")));
    EXPECT_TRUE(InGraph(sample_->GetGrabberFilter(), QStringLiteral("Sample Grabber")));
    EXPECT_FALSE(InGraph(sample_->GetNullRenderer()));

    dshow::IVideoWindow* window = sample_->GetVideoWindow();
    ASSERT_NE(window, nullptr);
    dshow::HWND windowOwner;
    EXPECT_EQ(window->get_Owner(&windowOwner), S_OK);
    EXPECT_EQ(windowOwner, dshow::HWND(&owner_));
    LONG style = 0;
    EXPECT_EQ(window->get_WindowStyle(&style), S_OK);
    EXPECT_EQ(style & (dshow::WS_CHILD | dshow::WS_CLIPCHILDREN), dshow::WS_CHILD | dshow::WS_CLIPCHILDREN);
    LONG visible = 0;
    EXPECT_EQ(window->get_Visible(&visible), S_OK);
    EXPECT_EQ(visible, dshow::OATRUE);
    LONG left = -1, top = -1, width = 0, height = 0;
    EXPECT_EQ(window->GetWindowPosition(&left, &top, &width, &height), S_OK);
    EXPECT_EQ(std::make_tuple(left, top, width, height), std::make_tuple(0, 0, 320, 240));

    // The grabber still hands every sample on.
    camera_->PushFrame(Frame(kYuy2Size, 6), kYuy2Size);
    ASSERT_TRUE(recorder_.WaitForSamples(1));
    EXPECT_EQ(recorder_.Samples()[0].firstByte, 6);
}

TEST_F(VideoSampleTest, SampleCBDeliversEachBufferWholeAndSkipsEmptyOnes) {
    StartRecording();

    // A compressed frame shorter than its buffer arrives with the whole buffer;
    // an empty buffer delivers nothing.
    camera_->PushFrame(Frame(1000, 7), kYuy2Size);
    camera_->PushFrame({}, 0);
    camera_->PushFrame(Frame(kYuy2Size, 9), kYuy2Size);
    ASSERT_TRUE(recorder_.WaitForSamples(2));

    const auto samples = recorder_.Samples();
    ASSERT_EQ(samples.size(), 2u);
    EXPECT_EQ(samples[0].length, static_cast<std::int32_t>(kYuy2Size));
    EXPECT_EQ(samples[0].firstByte, 7);
    EXPECT_EQ(samples[1].length, static_cast<std::int32_t>(kYuy2Size));
    EXPECT_EQ(samples[1].firstByte, 9);
}

TEST_F(VideoSampleTest, BufferCBModeDeliversTheValidBytes) {
    ASSERT_EQ(Create(false, TVideoSample::kBufferCBMode), S_OK);
    ASSERT_EQ(sample_->StartVideo(QStringLiteral("#1"), false, foundName_), S_OK);
    sample_->SetCallBack(recorder_.CallBack());

    camera_->PushFrame(Frame(1000, 3), kYuy2Size);
    ASSERT_TRUE(recorder_.WaitForSamples(1));
    EXPECT_EQ(recorder_.Samples()[0].length, 1000);
}

TEST_F(VideoSampleTest, SamplesBeforeTheFirstSetCallBackAreDropped) {
    ASSERT_EQ(Start(), S_OK);
    camera_->PushFrame(Frame(16, 1), 16);
    camera_->PushFrame(Frame(16, 2), 16);
    ASSERT_TRUE(Eventually([&] { return sample_->GetGrabberCB()->Implementation().DroppedSamples() == 2; }));

    sample_->SetCallBack(recorder_.CallBack());
    camera_->PushFrame(Frame(16, 3), 16);
    ASSERT_TRUE(recorder_.WaitForSamples(1));
    EXPECT_EQ(recorder_.Samples()[0].firstByte, 3);
    EXPECT_EQ(sample_->GetGrabberCB()->Implementation().DroppedSamples(), 2u);
}

TEST_F(VideoSampleTest, NextSampleReachesTheReplacedProcedure) {
    StartRecording();
    camera_->PushFrame(Frame(16, 1), 16);
    ASSERT_TRUE(recorder_.WaitForSamples(1));

    SampleRecorder other;
    sample_->SetCallBack(other.CallBack());
    EXPECT_EQ(sample_->GetCallBack(), other.CallBack());
    camera_->PushFrame(Frame(16, 2), 16);
    ASSERT_TRUE(other.WaitForSamples(1));

    EXPECT_EQ(other.Samples()[0].firstByte, 2);
    EXPECT_EQ(recorder_.Count(), 1u);
}

TEST_F(VideoSampleTest, ForcedRgb24AcceptsOnlyRgb24Devices) {
    // The camera delivers YUY2: the grabber refuses the connection.
    ASSERT_EQ(Create(true), S_OK);
    EXPECT_TRUE(com::FAILED(sample_->StartVideo(QStringLiteral("#1"), false, foundName_)));
    EXPECT_EQ(sample_->GetState(), 0);
    sample_.reset();

    media::VideoMode rgb;
    rgb.fourcc = media::kFourCCRgb24;
    rgb.width = 320;
    rgb.height = 240;
    rgb.bitCount = 24;
    rgb.sampleSize = 320 * 240 * 3;
    camera_->SetModes({rgb});
    ASSERT_EQ(Create(true), S_OK);
    EXPECT_EQ(sample_->StartVideo(QStringLiteral("#1"), false, foundName_), S_OK);
}

TEST_F(VideoSampleTest, PauseAndResumeFollowTheStateTable) {
    // Stopped: nothing to do.
    ASSERT_EQ(Create(), S_OK);
    EXPECT_EQ(sample_->PauseVideo(), S_FALSE);
    EXPECT_EQ(sample_->ResumeVideo(), S_FALSE);
    EXPECT_EQ(sample_->GetState(), 0);

    ASSERT_EQ(sample_->StartVideo(QStringLiteral("#1"), false, foundName_), S_OK);
    ASSERT_TRUE(camera_->WaitUntilStreaming(std::chrono::seconds(20)));
    const int starts = camera_->StartCount();

    // Running: resuming calls nothing.
    EXPECT_EQ(sample_->ResumeVideo(), S_OK);
    EXPECT_EQ(camera_->StartCount(), starts);
    EXPECT_EQ(sample_->PauseVideo(), S_OK);
    EXPECT_EQ(sample_->GetState(), 1);
    EXPECT_FALSE(camera_->Streaming());
    // Paused: pausing calls nothing.
    EXPECT_EQ(sample_->PauseVideo(), S_OK);
    EXPECT_EQ(sample_->GetState(), 1);
    EXPECT_EQ(sample_->ResumeVideo(), S_OK);
    EXPECT_EQ(sample_->GetState(), 2);
    EXPECT_TRUE(camera_->Streaming());
    EXPECT_EQ(camera_->StartCount(), starts + 1);
}

TEST_F(VideoSampleTest, FailingPauseOrRunLeavesTheStateAsItWas) {
    constexpr HRESULT kBusy = com::MakeHresult(0x800700AAu);
    ASSERT_EQ(Start(), S_OK);

    camera_->SetFault(FaultPoint::FilterPause, kBusy);
    EXPECT_EQ(sample_->PauseVideo(), kBusy);
    EXPECT_EQ(sample_->GetState(), 2);
    camera_->ClearFault(FaultPoint::FilterPause);
    ASSERT_EQ(sample_->PauseVideo(), S_OK);

    camera_->SetFault(FaultPoint::FilterRun, kBusy);
    EXPECT_EQ(sample_->ResumeVideo(), kBusy);
    EXPECT_EQ(sample_->GetState(), 1);
}

TEST_F(VideoSampleTest, FailingRunReturnsItsStatusAndCountsAsRunning) {
    constexpr HRESULT kGone = com::MakeHresult(0x8007001Fu);
    camera_->SetFault(FaultPoint::FilterRun, kGone);

    EXPECT_EQ(Start(), kGone);
    EXPECT_EQ(sample_->GetState(), 2);
    EXPECT_FALSE(camera_->Streaming());
    // A pause reaches the graph, as for a running object.
    EXPECT_EQ(sample_->PauseVideo(), S_OK);
    EXPECT_EQ(sample_->GetState(), 1);
}

TEST_F(VideoSampleTest, ObjectWhoseCreateFailedAnswersEveryCallWithoutTouchingEmptyFields) {
    for (const com::CLSID& clsid : {dshow::CLSID_FilterGraph, dshow::CLSID_SampleGrabber,
                                    dshow::CLSID_NullRenderer, dshow::CLSID_CaptureGraphBuilder2}) {
        SCOPED_TRACE(testing::Message() << "failing class " << std::hex << clsid.Data1);
        dshow::ScopedClassOverride failing(clsid, dshow::fake::FailingFactory(com::E_OUTOFMEMORY));
        ASSERT_EQ(Create(), com::E_OUTOFMEMORY);

        EXPECT_EQ(sample_->StartVideo(QStringLiteral("#1"), false, foundName_), E_FAIL);
        EXPECT_TRUE(foundName_.isEmpty());
        EXPECT_EQ(camera_->OpenCount(), 0);
        EXPECT_EQ(sample_->PauseVideo(), S_FALSE);
        EXPECT_EQ(sample_->ResumeVideo(), S_FALSE);
        sample_->SetCallBack(recorder_.CallBack());

        std::int32_t width = -1, height = -1;
        std::uint32_t fourcc = 1;
        EXPECT_EQ(sample_->GetVideoFormat(width, height, fourcc), E_POINTER);
        EXPECT_EQ(width, 0);
        EXPECT_EQ(height, 0);
        EXPECT_EQ(fourcc, 0u);
        EXPECT_EQ(sample_->SetVideoFormat(0), S_FALSE);
        QStringList sizes{QStringLiteral("old")};
        sample_->GetListOfVideoSizes(&sizes);
        EXPECT_TRUE(sizes.isEmpty());

        LONG min = 5, max = 5, step = 5, def = 5, flags = 5, value = 5;
        EXPECT_EQ(sample_->GetVideoPropertySettings(0, min, max, step, def, flags, value), S_FALSE);
        EXPECT_EQ(min + max + step + def + flags + value, 30);
        EXPECT_EQ(sample_->SetVideoProperty(0, 2, 10), S_FALSE);
        EXPECT_EQ(sample_->ShowPropertyDialog(), E_POINTER);
        EXPECT_EQ(sample_->ShowStreamPropertyDialog(), E_POINTER);

        // Destroy releases what was built (the graph manager, when the
        // grabber failed) and raises nothing.
        sample_.reset();
        EXPECT_EQ(dshow::LiveObjectCount(), objectsBefore_);
    }
}

TEST_F(VideoSampleTest, FailedStartsReturnTheFirstFailingStep) {
    constexpr HRESULT kFault = com::MakeHresult(0x80070015u);
    // No device at that position, or none readable: the status cannot say so,
    // the log does.
    {
        const kamsel::test::LogCapture log("kamsel.capture");
        EXPECT_EQ(Start(QStringLiteral("#3")), E_FAIL);
        camera_->SetFault(FaultPoint::ReadProperty, kFault);
        EXPECT_EQ(Start(), kFault);
        camera_->ClearFault(FaultPoint::ReadProperty);
        EXPECT_EQ(log.Texts(),
                  (std::vector<QString>{QStringLiteral("no video capture device matches \"#3\""),
                                        QStringLiteral("no video capture device matches \"#1\"")}));
    }
    EXPECT_TRUE(foundName_.isEmpty());
    EXPECT_EQ(sample_->GetCaptureFilter(), nullptr);
    EXPECT_EQ(sample_->GetState(), 0);

    camera_->SetFault(FaultPoint::BindToObject, kFault);
    EXPECT_EQ(Start(), kFault);
    EXPECT_EQ(sample_->GetState(), 0);
    camera_->ClearFault(FaultPoint::BindToObject);

    camera_->SetFault(FaultPoint::JoinFilterGraph, kFault);
    EXPECT_EQ(Start(), kFault);
    EXPECT_EQ(sample_->GetState(), 0);
    camera_->ClearFault(FaultPoint::JoinFilterGraph);

    // The formats were read before the connection failed; stopped, the size
    // list stays empty all the same.
    camera_->SetFault(FaultPoint::PinConnect, kFault);
    EXPECT_EQ(Start(), kFault);
    EXPECT_EQ(sample_->GetState(), 0);
    EXPECT_EQ(sample_->GetFormats().size(), 3u);
    QStringList sizes;
    sample_->GetListOfVideoSizes(&sizes);
    EXPECT_TRUE(sizes.isEmpty());
    camera_->ClearFault(FaultPoint::PinConnect);

    // A start runs once per object.
    ASSERT_EQ(Start(), S_OK);
    EXPECT_EQ(sample_->StartVideo(QStringLiteral("#1"), false, foundName_), com::E_UNEXPECTED);
    EXPECT_EQ(sample_->GetState(), 2);
}

TEST_F(VideoSampleTest, DestroyAfterNoDeviceStillDetachesAndReleasesTheCallBack) {
    ASSERT_EQ(Start(QStringLiteral("Other Camera")), E_FAIL);
    TSampleGrabberCB* callback = sample_->GetGrabberCB();
    ASSERT_NE(callback, nullptr);
    callback->AddRef();

    sample_->Destroy();

    // Neither the grabber nor the capture object holds it any more.
    EXPECT_EQ(callback->Release(), 0u);
    EXPECT_EQ(sample_->GetGrabberCB(), nullptr);
    EXPECT_EQ(sample_->GetGraph(), nullptr);
}

TEST_F(VideoSampleTest, DestroyStopsTheStreamThenReleasesEverything) {
    StartRecording();
    camera_->StreamContinuously(Frame(kYuy2Size, 5), kYuy2Size);
    ASSERT_TRUE(recorder_.WaitForSamples(3));
    TSampleGrabberCB* callback = sample_->GetGrabberCB();
    callback->AddRef();

    sample_->Destroy();
    const std::size_t delivered = recorder_.Count();

    // The device's thread is gone with the device, the callback object goes
    // with our reference, and nothing reaches the procedure any more.
    EXPECT_FALSE(camera_->Streaming());
    EXPECT_EQ(devices_.LiveDevices(), 0);
    EXPECT_EQ(sample_->GetState(), 0);
    EXPECT_EQ(callback->Implementation().GetSampleCallBack(), TSampleCallBack{});
    EXPECT_EQ(callback->Release(), 0u);
    EXPECT_EQ(recorder_.Count(), delivered);
    EXPECT_EQ(dshow::LiveObjectCount(), objectsBefore_);
    // Destroying again (the destructor does) finds nothing to do.
    sample_->Destroy();
}

} // namespace
} // namespace kamsel::capture::test

// Samples flowing from a test camera through the capture filter, the sample
// grabber and a renderer, on the camera's streaming thread.

#include "GraphTestSupport.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <cerrno>

namespace kamsel::dshow::test {
namespace {

using fake::FakeCamera;
using fake::FakeDeviceRegistry;

std::vector<BYTE> Bytes(std::size_t count, BYTE first) {
    std::vector<BYTE> bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<BYTE>(first + i);
    return bytes;
}

class GraphStreamingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        camera_ = devices_.AddCamera("Streaming Camera");
        ASSERT_EQ(graph_.Build(BindDevice(1)), S_OK);
    }
    void TearDown() override {
        graph_ = CaptureGraph();
        callback_ = nullptr;
        EXPECT_EQ(devices_.LiveDevices(), 0);
    }

    LeakCheck leaks_;
    FakeDeviceRegistry devices_;
    std::shared_ptr<FakeCamera> camera_;
    CaptureGraph graph_;
    ComPtr<RecordingCallback> callback_ = com::MakeComObject<RecordingCallback>();
};

TEST_F(GraphStreamingTest, SampleCallbackGetsTheWholeBufferOfEverySample) {
    ASSERT_EQ(graph_.grabber->SetCallback(callback_.Get(), 0), S_OK);
    ASSERT_EQ(graph_.control->Run(), S_OK);
    // A compressed frame shorter than its buffer, then a full one.
    camera_->PushFrame(Bytes(100, 1), 4096);
    camera_->PushFrame(Bytes(64, 7), 64);
    ASSERT_TRUE(callback_->WaitFor(2));
    const auto calls = callback_->Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_TRUE(calls[0].viaSample);
    EXPECT_EQ(calls[0].size, 4096);
    EXPECT_EQ(calls[0].actual, 100);
    EXPECT_EQ(std::vector<BYTE>(calls[0].bytes.begin(), calls[0].bytes.begin() + 100), Bytes(100, 1));
    EXPECT_EQ(calls[1].size, 64);
    EXPECT_EQ(calls[1].bytes, Bytes(64, 7));
    EXPECT_EQ(graph_.control->Stop(), S_OK);
}

TEST_F(GraphStreamingTest, BufferCallbackGetsTheValidBytes) {
    ASSERT_EQ(graph_.grabber->SetCallback(callback_.Get(), 1), S_OK);
    ASSERT_EQ(graph_.control->Run(), S_OK);
    camera_->PushFrame(Bytes(100, 3), 4096);
    ASSERT_TRUE(callback_->WaitFor(1));
    const auto call = callback_->Calls().front();
    EXPECT_FALSE(call.viaSample);
    EXPECT_EQ(call.size, 100);
    EXPECT_EQ(call.bytes, Bytes(100, 3));
}

TEST_F(GraphStreamingTest, AFrameClaimingMoreThanItsBufferIsSkipped) {
    ASSERT_EQ(graph_.grabber->SetCallback(callback_.Get(), 0), S_OK);
    ASSERT_EQ(graph_.control->Run(), S_OK);
    camera_->PushMisreportedFrame(Bytes(100, 0), 200);
    camera_->PushFrame(Bytes(10, 5), 10);
    ASSERT_TRUE(callback_->WaitFor(1));
    ASSERT_EQ(graph_.control->Stop(), S_OK);
    const auto calls = callback_->Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].bytes, Bytes(10, 5));
}

TEST_F(GraphStreamingTest, PauseAndStopEndTheStreamAndRunResumesIt) {
    ASSERT_EQ(graph_.grabber->SetCallback(callback_.Get(), 0), S_OK);
    ASSERT_EQ(graph_.control->Run(), S_OK);
    EXPECT_TRUE(camera_->Streaming());
    camera_->PushFrame(Bytes(8, 0), 8);
    ASSERT_TRUE(callback_->WaitFor(1));

    ASSERT_EQ(graph_.control->Pause(), S_OK);
    EXPECT_FALSE(camera_->Streaming()); // Pause returned after the streaming thread ended
    OAFilterState state = State_Running;
    EXPECT_EQ(graph_.control->GetState(0, &state), S_OK);
    EXPECT_EQ(state, State_Paused);
    camera_->PushFrame(Bytes(8, 1), 8);
    EXPECT_EQ(callback_->Calls().size(), 1u);

    ASSERT_EQ(graph_.control->Run(), S_OK);
    ASSERT_TRUE(callback_->WaitFor(2)); // the frame held back while paused
    EXPECT_EQ(graph_.control->Stop(), S_OK);
    EXPECT_FALSE(camera_->Streaming());
    EXPECT_EQ(camera_->StartCount(), 2);
}

TEST_F(GraphStreamingTest, AStreamThatEndsOnItsOwnStopsCleanly) {
    ASSERT_EQ(graph_.grabber->SetCallback(callback_.Get(), 0), S_OK);
    ASSERT_EQ(graph_.control->Run(), S_OK);
    camera_->PushFrame(Bytes(8, 0), 8);
    camera_->EndStream(-ENODEV);
    camera_->PushFrame(Bytes(8, 0), 8); // nothing comes after the end
    ASSERT_TRUE(callback_->WaitFor(1));
    EXPECT_EQ(graph_.control->Pause(), S_OK);
    EXPECT_EQ(callback_->Calls().size(), 1u);
    // The camera is gone for good: running again reports it.
    camera_->SetStartError(-ENODEV);
    EXPECT_LT(graph_.control->Run(), 0);
    EXPECT_EQ(graph_.control->Stop(), S_OK);
}

TEST_F(GraphStreamingTest, TheGrabberHoldsItsCallbackUntilCleared) {
    ASSERT_EQ(graph_.grabber->SetCallback(callback_.Get(), 0), S_OK);
    EXPECT_EQ(callback_->AddRef(), 3u); // ours, the grabber's, this one
    callback_->Release();
    ASSERT_EQ(graph_.grabber->SetCallback(nullptr, 1), S_OK);
    EXPECT_EQ(callback_->AddRef(), 2u);
    callback_->Release();
    EXPECT_EQ(graph_.grabber->SetCallback(callback_.Get(), 2), E_INVALIDARG);

    ASSERT_EQ(graph_.control->Run(), S_OK);
    camera_->PushFrame(Bytes(8, 0), 8);
    camera_->PushFrame(Bytes(8, 0), 8);
    ASSERT_EQ(graph_.control->Stop(), S_OK);
    EXPECT_TRUE(callback_->Calls().empty());
}

TEST_F(GraphStreamingTest, CallbacksCanBeReplacedWhileSamplesFlow) {
    camera_->StreamContinuously(Bytes(32, 0), 64);
    ASSERT_EQ(graph_.control->Run(), S_OK);
    auto other = com::MakeComObject<RecordingCallback>();
    for (int round = 0; round < 20; ++round) {
        ASSERT_EQ(graph_.grabber->SetCallback(round % 2 ? other.Get() : callback_.Get(), round % 2), S_OK);
        ASSERT_TRUE((round % 2 ? other : callback_)->WaitFor(static_cast<std::size_t>(round / 2 + 1)));
    }
    ASSERT_EQ(graph_.grabber->SetCallback(nullptr, 0), S_OK);
    ASSERT_EQ(graph_.control->Stop(), S_OK);
    for (const auto& call : other->Calls())
        EXPECT_EQ(call.size, 32); // BufferCB: the valid bytes
    for (const auto& call : callback_->Calls())
        EXPECT_EQ(call.size, 64); // SampleCB: the buffer
}

TEST_F(GraphStreamingTest, ReleasingTheGraphStopsTheStream) {
    camera_->StreamContinuously(Bytes(16, 0), 16);
    ASSERT_EQ(graph_.grabber->SetCallback(callback_.Get(), 0), S_OK);
    ASSERT_EQ(graph_.control->Run(), S_OK);
    ASSERT_TRUE(callback_->WaitFor(3));
    graph_ = CaptureGraph();
    EXPECT_FALSE(camera_->Streaming());
    const auto delivered = callback_->Calls().size();
    EXPECT_EQ(callback_->Calls().size(), delivered);
}

TEST_F(GraphStreamingTest, PreviewShowsFramesInTheRenderersWindow) {
    // A graph of its own, ending in the default video renderer.
    graph_ = CaptureGraph();
    CaptureGraph preview;
    ASSERT_EQ(preview.Build(BindDevice(1), true), S_OK);
    ComPtr<IVideoWindow> window;
    ASSERT_EQ(preview.graph.As(window), S_OK);
    QWidget owner;
    owner.resize(320, 200);
    EXPECT_EQ(window->put_Owner(HWND(&owner)), S_OK);
    EXPECT_EQ(window->put_WindowStyle(WS_CHILD | WS_CLIPCHILDREN), S_OK);
    RECT client{};
    ASSERT_TRUE(GetClientRect(HWND(&owner), &client));
    EXPECT_EQ(window->SetWindowPosition(0, 0, client.right, client.bottom), S_OK);
    EXPECT_EQ(window->put_Visible(OATRUE), S_OK);

    ASSERT_EQ(preview.control->Run(), S_OK);
    // One YUY2 frame of 640 x 480 in mid gray.
    camera_->PushFrame(std::vector<BYTE>(640 * 480 * 2, 128), 640 * 480 * 2);
    QWidget* shown = nullptr;
    for (int i = 0; i < 2000 && !shown; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        for (QObject* child : owner.children())
            if (auto* video = qobject_cast<QWidget*>(child);
                video && video->geometry() == QRect(0, 0, 320, 200))
                shown = video;
    }
    ASSERT_NE(shown, nullptr);
    EXPECT_FALSE(shown->isHidden());
    EXPECT_EQ(preview.control->Stop(), S_OK);
    EXPECT_EQ(window->put_Visible(OAFALSE), S_OK);
    EXPECT_EQ(window->put_Owner(nullptr), S_OK);
    EXPECT_EQ(shown->parent(), nullptr);
}

} // namespace
} // namespace kamsel::dshow::test

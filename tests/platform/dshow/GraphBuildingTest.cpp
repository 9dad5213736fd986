// Building, running and taking apart the capture graph.

#include "GraphTestSupport.h"

#include "platform/dshow/fake/FailingFactory.h"

#include <cerrno>
#include <string>

namespace kamsel::dshow::test {
namespace {

using fake::FakeCamera;
using fake::FakeDeviceRegistry;

std::u16string FilterName(IBaseFilter& filter) {
    FILTER_INFO info{};
    if (FAILED(filter.QueryFilterInfo(&info)))
        return u"?";
    if (info.pGraph)
        info.pGraph->Release();
    return info.achName;
}

// The filter name and pin direction at the other end of pin, or empty.
std::pair<std::u16string, PIN_DIRECTION> PeerOf(IPin& pin) {
    ComPtr<IPin> peer;
    if (FAILED(pin.ConnectedTo(peer.ReleaseAndGetAddressOf())))
        return {u"", PINDIR_INPUT};
    PIN_INFO info{};
    EXPECT_EQ(peer->QueryPinInfo(&info), S_OK);
    const ComPtr<IBaseFilter> filter = ComPtr<IBaseFilter>::Attach(info.pFilter);
    return {FilterName(*filter), info.dir};
}

class GraphBuildingTest : public ::testing::Test {
  protected:
    LeakCheck leaks_;
    FakeDeviceRegistry devices_;
    std::shared_ptr<FakeCamera> camera_ = devices_.AddCamera("Camera");
};

TEST_F(GraphBuildingTest, RenderStreamConnectsTheCapturePinThroughTheGrabberToTheSink) {
    CaptureGraph graph;
    ASSERT_EQ(graph.Build(BindDevice(1)), S_OK);
    const ComPtr<IPin> capturePin = FirstPin(*graph.capture, PINDIR_OUTPUT);
    EXPECT_EQ(PeerOf(*capturePin), std::pair(std::u16string(u"Sample Grabber"), PINDIR_INPUT));
    const ComPtr<IPin> grabberOut = FirstPin(*graph.grabberFilter, PINDIR_OUTPUT);
    EXPECT_EQ(PeerOf(*grabberOut), std::pair(std::u16string(u"Null Renderer"), PINDIR_INPUT));

    AM_MEDIA_TYPE type{};
    ASSERT_EQ(graph.grabber->GetConnectedMediaType(&type), S_OK);
    EXPECT_EQ(type.subtype, MEDIASUBTYPE_YUY2);
    FreeMediaType(type);

    // The capture pin says what it is.
    ComPtr<IKsPropertySet> category;
    ASSERT_EQ(capturePin.As(category), S_OK);
    GUID found{};
    DWORD returned = 0;
    EXPECT_EQ(
        category->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, &found, sizeof found, &returned),
        S_OK);
    EXPECT_EQ(found, PIN_CATEGORY_CAPTURE);
}

TEST_F(GraphBuildingTest, WithoutASinkTheStreamEndsInANewVideoRenderer) {
    CaptureGraph graph;
    ASSERT_EQ(graph.Build(BindDevice(1), true), S_OK);
    const ComPtr<IPin> grabberOut = FirstPin(*graph.grabberFilter, PINDIR_OUTPUT);
    EXPECT_EQ(PeerOf(*grabberOut).first, u"Video Renderer");
    ComPtr<IVideoWindow> window;
    ASSERT_EQ(graph.graph.As(window), S_OK);
    EXPECT_EQ(window->put_Visible(OAFALSE), S_OK);
}

TEST_F(GraphBuildingTest, AGraphWithoutVideoRendererHasNoVideoWindow) {
    CaptureGraph graph;
    ASSERT_EQ(graph.Build(BindDevice(1)), S_OK);
    ComPtr<IVideoWindow> window;
    ASSERT_EQ(graph.graph.As(window), S_OK);
    EXPECT_EQ(window->put_Visible(OAFALSE), E_NOINTERFACE);
    EXPECT_EQ(window->put_Owner(nullptr), E_NOINTERFACE);
}

TEST_F(GraphBuildingTest, RenderStreamFailures) {
    {
        CaptureGraph graph; // a capture pin that refuses to connect
        camera_->SetFault(FaultPoint::PinConnect, E_ACCESSDENIED);
        EXPECT_EQ(graph.Build(BindDevice(1)), E_ACCESSDENIED);
        camera_->ClearFault(FaultPoint::PinConnect);
    }
    {
        CaptureGraph graph; // a grabber that accepts only RGB24
        AM_MEDIA_TYPE rgb{};
        rgb.majortype = MEDIATYPE_Video;
        rgb.subtype = MEDIASUBTYPE_RGB24;
        ComPtr<ISampleGrabber> grabber;
        ASSERT_EQ(graph.grabberFilter.As(grabber), S_OK);
        ASSERT_EQ(grabber->SetMediaType(&rgb), S_OK);
        EXPECT_LT(graph.Build(BindDevice(1)), 0);
    }
    {
        CaptureGraph graph; // no preview pin on a camera
        graph.capture = BindDevice(1);
        ASSERT_EQ(graph.builder->SetFiltergraph(graph.graph.Get()), S_OK);
        ASSERT_EQ(graph.graph->AddFilter(graph.capture.Get(), u"Video Capture"), S_OK);
        EXPECT_LT(graph.builder->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, graph.capture.Get(),
                                              nullptr, nullptr),
                  0);
        // Filters outside the graph cannot be connected.
        EXPECT_EQ(graph.builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, graph.capture.Get(),
                                              graph.grabberFilter.Get(), nullptr),
                  VFW_E_NOT_IN_GRAPH);
    }
    {
        CaptureGraph graph; // no graph given to the builder
        EXPECT_EQ(graph.builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video,
                                              graph.grabberFilter.Get(), nullptr, nullptr),
                  E_UNEXPECTED);
    }
}

TEST_F(GraphBuildingTest, AddFilterNamesAreUniqueAndJoiningCanFail) {
    CaptureGraph graph;
    EXPECT_EQ(graph.graph->AddFilter(graph.grabberFilter.Get(), u"Sample Grabber"), S_OK);
    EXPECT_EQ(graph.graph->AddFilter(graph.nullRenderer.Get(), u"Sample Grabber"), VFW_E_DUPLICATE_NAME);
    EXPECT_EQ(graph.graph->AddFilter(graph.grabberFilter.Get(), u"Again"), E_INVALIDARG);
    EXPECT_EQ(FilterName(*graph.grabberFilter), u"Sample Grabber");
    camera_->SetFault(FaultPoint::JoinFilterGraph, E_OUTOFMEMORY);
    const ComPtr<IBaseFilter> capture = BindDevice(1);
    EXPECT_EQ(graph.graph->AddFilter(capture.Get(), u"Video Capture"), E_OUTOFMEMORY);
    EXPECT_EQ(graph.graph->RemoveFilter(capture.Get()), VFW_E_NOT_FOUND);
}

// The walk a capture object makes at teardown: from the capture filter's pin,
// downstream filters are disconnected on both sides and removed.
TEST_F(GraphBuildingTest, DownstreamFiltersCanBeDisconnectedAndRemoved) {
    CaptureGraph graph;
    ASSERT_EQ(graph.Build(BindDevice(1)), S_OK);
    ASSERT_EQ(graph.control->Run(), S_OK);
    const ComPtr<IPin> capturePin = FirstPin(*graph.capture, PINDIR_OUTPUT);
    ComPtr<IPin> grabberIn;
    ASSERT_EQ(capturePin->ConnectedTo(grabberIn.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_EQ(graph.graph->Disconnect(grabberIn.Get()), VFW_E_NOT_STOPPED);
    ASSERT_EQ(graph.control->Stop(), S_OK);

    const ComPtr<IPin> grabberOut = FirstPin(*graph.grabberFilter, PINDIR_OUTPUT);
    ComPtr<IPin> rendererIn;
    ASSERT_EQ(grabberOut->ConnectedTo(rendererIn.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_EQ(graph.graph->Disconnect(rendererIn.Get()), S_OK);
    EXPECT_EQ(graph.graph->Disconnect(grabberOut.Get()), S_OK);
    EXPECT_EQ(graph.graph->Disconnect(grabberOut.Get()), S_FALSE);
    EXPECT_EQ(graph.graph->RemoveFilter(graph.nullRenderer.Get()), S_OK);
    EXPECT_EQ(graph.graph->Disconnect(grabberIn.Get()), S_OK);
    EXPECT_EQ(graph.graph->Disconnect(capturePin.Get()), S_OK);
    EXPECT_EQ(graph.graph->RemoveFilter(graph.grabberFilter.Get()), S_OK);

    ComPtr<IPin> none;
    EXPECT_EQ(capturePin->ConnectedTo(none.ReleaseAndGetAddressOf()), VFW_E_NOT_CONNECTED);
    EXPECT_EQ(FilterName(*graph.grabberFilter), u"");
    EXPECT_EQ(FilterName(*graph.capture), u"Video Capture"); // stays until the graph goes
    // Removing a filter breaks its remaining connections too.
    CaptureGraph other;
    ASSERT_EQ(other.Build(BindDevice(1)), S_OK);
    EXPECT_EQ(other.graph->RemoveFilter(other.grabberFilter.Get()), S_OK);
    EXPECT_EQ(FirstPin(*other.capture, PINDIR_OUTPUT)->ConnectedTo(none.ReleaseAndGetAddressOf()),
              VFW_E_NOT_CONNECTED);
}

TEST_F(GraphBuildingTest, ControlStatusesComeFromTheFilters) {
    CaptureGraph graph;
    ASSERT_EQ(graph.Build(BindDevice(1)), S_OK);
    OAFilterState state = State_Running;

    camera_->SetStartError(-EBUSY);
    EXPECT_LT(graph.control->Run(), 0);
    EXPECT_EQ(graph.control->GetState(0, &state), S_OK);
    EXPECT_EQ(state, State_Stopped);
    camera_->SetStartError(0);

    camera_->SetFault(FaultPoint::FilterRun, E_ACCESSDENIED);
    EXPECT_EQ(graph.control->Run(), E_ACCESSDENIED);
    camera_->ClearFault(FaultPoint::FilterRun);
    EXPECT_FALSE(camera_->Streaming());

    ASSERT_EQ(graph.control->Run(), S_OK);
    camera_->SetFault(FaultPoint::FilterPause, E_ABORT);
    EXPECT_EQ(graph.control->Pause(), E_ABORT);
    EXPECT_EQ(graph.control->GetState(0, &state), S_OK);
    EXPECT_EQ(state, State_Running);
    EXPECT_TRUE(camera_->Streaming());
    camera_->ClearFault(FaultPoint::FilterPause);

    EXPECT_EQ(graph.control->StopWhenReady(), S_OK);
    EXPECT_FALSE(camera_->Streaming());
    EXPECT_EQ(graph.control->StopWhenReady(), S_OK);
    EXPECT_EQ(graph.control->GetState(0, &state), S_OK);
    EXPECT_EQ(state, State_Stopped);

    // A filter that cannot stop is reported; the others stop.
    ASSERT_EQ(graph.control->Run(), S_OK);
    camera_->SetFault(FaultPoint::FilterStop, E_FAIL);
    EXPECT_EQ(graph.control->Stop(), E_FAIL);
    FILTER_STATE grabberState = State_Running;
    EXPECT_EQ(graph.grabberFilter->GetState(0, &grabberState), S_OK);
    EXPECT_EQ(grabberState, State_Stopped);
    camera_->ClearFault(FaultPoint::FilterStop);
    EXPECT_EQ(graph.control->Stop(), S_OK);
}

TEST_F(GraphBuildingTest, AppliedFormatsReachTheWholeStream) {
    CaptureGraph graph;
    ASSERT_EQ(graph.Build(BindDevice(1)), S_OK);
    const ComPtr<IAMStreamConfig> config = graph.StreamConfig();
    ASSERT_TRUE(config);
    AM_MEDIA_TYPE* mjpg = nullptr;
    VIDEO_STREAM_CONFIG_CAPS caps{};
    ASSERT_EQ(config->GetStreamCaps(1, &mjpg, reinterpret_cast<BYTE*>(&caps)), S_OK);
    const MediaTypePtr owned(mjpg);

    ASSERT_EQ(graph.control->Run(), S_OK);
    EXPECT_EQ(config->SetFormat(mjpg), VFW_E_NOT_STOPPED);
    ASSERT_EQ(graph.control->Stop(), S_OK);
    ASSERT_EQ(config->SetFormat(mjpg), S_OK);
    EXPECT_EQ(camera_->CurrentMode().fourcc, media::FourCC("MJPG"));
    AM_MEDIA_TYPE connected{};
    ASSERT_EQ(graph.grabber->GetConnectedMediaType(&connected), S_OK);
    EXPECT_EQ(connected.subtype, MEDIASUBTYPE_MJPG);
    FreeMediaType(connected);
    const ComPtr<IPin> grabberOut = FirstPin(*graph.grabberFilter, PINDIR_OUTPUT);
    ASSERT_EQ(grabberOut->ConnectionMediaType(&connected), S_OK);
    EXPECT_EQ(connected.subtype, MEDIASUBTYPE_MJPG);
    FreeMediaType(connected);
    EXPECT_EQ(graph.control->Run(), S_OK);
    EXPECT_EQ(graph.control->Stop(), S_OK);

    // The device refusing a mode is reported and changes nothing.
    camera_->SetModeError(-EINVAL);
    AM_MEDIA_TYPE* yuy2 = nullptr;
    ASSERT_EQ(config->GetStreamCaps(0, &yuy2, reinterpret_cast<BYTE*>(&caps)), S_OK);
    const MediaTypePtr ownedYuy2(yuy2);
    EXPECT_LT(config->SetFormat(yuy2), 0);
    EXPECT_EQ(camera_->CurrentMode().fourcc, media::FourCC("MJPG"));
}

TEST_F(GraphBuildingTest, FindInterfaceLooksAtTheFilterOrItsCapturePin) {
    CaptureGraph graph;
    ASSERT_EQ(graph.Build(BindDevice(1)), S_OK);
    EXPECT_TRUE(graph.StreamConfig());
    ComPtr<IAMVideoProcAmp> procAmp;
    EXPECT_EQ(graph.builder->FindInterface(nullptr, nullptr, graph.capture.Get(), IID_IAMVideoProcAmp,
                                           procAmp.ReleaseAndGetVoidAddress()),
              S_OK);
    ComPtr<IAMStreamConfig> config;
    EXPECT_EQ(graph.builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Audio, graph.capture.Get(),
                                           IID_IAMStreamConfig, config.ReleaseAndGetVoidAddress()),
              E_NOINTERFACE);
    EXPECT_EQ(graph.builder->FindInterface(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, graph.capture.Get(),
                                           IID_IAMStreamConfig, config.ReleaseAndGetVoidAddress()),
              E_NOINTERFACE);
    camera_->SetFault(FaultPoint::QueryStreamConfig, E_NOINTERFACE);
    EXPECT_FALSE(graph.StreamConfig());
}

TEST_F(GraphBuildingTest, GraphPartsCanFailToBeCreated) {
    {
        ScopedClassOverride noGrabber(CLSID_SampleGrabber, fake::FailingFactory(E_OUTOFMEMORY));
        ComPtr<IBaseFilter> grabber;
        EXPECT_EQ(CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                   grabber.ReleaseAndGetVoidAddress()),
                  E_OUTOFMEMORY);
        EXPECT_FALSE(grabber);
    }
    {
        ScopedClassOverride noRenderer(CLSID_VideoRenderer, fake::FailingFactory(E_FAIL));
        CaptureGraph graph;
        graph.capture = BindDevice(1);
        ASSERT_EQ(graph.builder->SetFiltergraph(graph.graph.Get()), S_OK);
        ASSERT_EQ(graph.graph->AddFilter(graph.capture.Get(), u"Video Capture"), S_OK);
        EXPECT_EQ(graph.builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, graph.capture.Get(),
                                              nullptr, nullptr),
                  E_FAIL);
    }
}

} // namespace
} // namespace kamsel::dshow::test

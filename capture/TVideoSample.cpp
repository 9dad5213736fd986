#include "TVideoSample.h"

#include "DeviceEnumeration.h"

#include "platform/system/CaptureLog.h"

#include <algorithm>
#include <cstring>

namespace kamsel::capture {

using com::ComPtr;
using com::E_FAIL;
using com::E_POINTER;
using com::E_UNEXPECTED;
using com::FAILED;
using com::HRESULT;
using com::LONG;
using com::S_FALSE;
using com::S_OK;
using com::SUCCEEDED;

namespace {

constexpr dshow::WCHAR kCaptureFilterName[] = u"Video Capture";
constexpr dshow::WCHAR kGrabberFilterName[] = u"Sample Grabber";
constexpr dshow::WCHAR kNullRendererName[] = u"Null Renderer";
constexpr dshow::WCHAR kNoCaption[] = u"";
// Status of a fault raised while the stream is connected.
constexpr HRESULT kRenderFault = -1;

struct TaskMemFree {
    void operator()(void* block) const { dshow::CoTaskMemFree(block); }
};

// A buffer for one capabilities record: at least the size the pin states,
// and never smaller than the record we read.
std::vector<dshow::BYTE> CapsBuffer(int statedSize) {
    const std::size_t size = statedSize > 0 ? static_cast<std::size_t>(statedSize) : 0;
    return std::vector<dshow::BYTE>(std::max(size, sizeof(dshow::VIDEO_STREAM_CONFIG_CAPS)));
}

} // namespace

TVideoSample::TVideoSample(dshow::HWND Owner) : OwnerWindow(Owner) {}

TVideoSample::~TVideoSample() {
    Destroy();
}

std::unique_ptr<TVideoSample> TVideoSample::Create(dshow::HWND OwnerWindow, bool ForceRGB24,
                                                   std::int32_t CallBackMode, HRESULT& Status) {
    std::unique_ptr<TVideoSample> sample(new TVideoSample(OwnerWindow));
    Status = sample->BuildGraph(ForceRGB24, CallBackMode);
    sample->BuildSucceeded = SUCCEEDED(Status);
    return sample;
}

// ---- Construction -------------------------------------------------------

HRESULT TVideoSample::BuildGraph(bool ForceRGB24, std::int32_t CallBackMode) {
    HRESULT hr = CreateGraphObjects();
    if (FAILED(hr))
        return hr;
    hr = RegisterCallBack(ForceRGB24, CallBackMode);
    if (FAILED(hr))
        return hr;
    hr = CreateCaptureBuilder();
    if (FAILED(hr))
        return hr;
    hr = QueryGraphControls();
    if (FAILED(hr))
        return hr;
    return MediaEvent->SetNotifyWindow(OwnerWindow, kGraphNotifyMessage, 0);
}

HRESULT TVideoSample::CreateGraphObjects() {
    using dshow::CoCreateInstance;
    HRESULT hr = CoCreateInstance(dshow::CLSID_FilterGraph, nullptr, dshow::CLSCTX_INPROC,
                                  dshow::IID_IGraphBuilder, Graph.ReleaseAndGetVoidAddress());
    if (FAILED(hr))
        return hr;
    hr = CoCreateInstance(dshow::CLSID_SampleGrabber, nullptr, dshow::CLSCTX_INPROC_SERVER,
                          dshow::IID_IBaseFilter, GrabberFilter.ReleaseAndGetVoidAddress());
    if (FAILED(hr))
        return hr;
    hr = CoCreateInstance(dshow::CLSID_NullRenderer, nullptr, dshow::CLSCTX_INPROC_SERVER,
                          dshow::IID_IBaseFilter, NullRenderer.ReleaseAndGetVoidAddress());
    if (FAILED(hr))
        return hr;
    return GrabberFilter.As(SampleGrabber);
}

HRESULT TVideoSample::RegisterCallBack(bool ForceRGB24, std::int32_t CallBackMode) {
    // The grabber keeps no copies: the callback gets each sample's own buffer.
    SampleGrabber->SetBufferSamples(dshow::FALSE);
    if (ForceRGB24) {
        dshow::AM_MEDIA_TYPE type{};
        type.majortype = dshow::MEDIATYPE_Video;
        type.subtype = dshow::MEDIASUBTYPE_RGB24;
        const HRESULT hr = SampleGrabber->SetMediaType(&type);
        if (FAILED(hr))
            return hr;
    }
    if (!GrabberCB) {
        GrabberCB = new TSampleGrabberCB(std::make_unique<TSampleGrabberCBImpl>());
        GrabberCBIntf = ComPtr<TSampleGrabberCBInt>(GrabberCB);
    }
    SampleGrabber->SetCallback(GrabberCBIntf.Get(), CallBackMode);
    return S_OK;
}

HRESULT TVideoSample::CreateCaptureBuilder() {
    return dshow::CoCreateInstance(dshow::CLSID_CaptureGraphBuilder2, nullptr, dshow::CLSCTX_INPROC,
                                   dshow::IID_ICaptureGraphBuilder2,
                                   CaptureBuilder.ReleaseAndGetVoidAddress());
}

HRESULT TVideoSample::QueryGraphControls() {
    HRESULT hr = Graph.As(MediaControl);
    if (FAILED(hr))
        return hr;
    hr = Graph.As(VideoWindow);
    if (FAILED(hr))
        return hr;
    return Graph.As(MediaEvent);
}

// ---- Start, pause, resume ----------------------------------------------------

HRESULT TVideoSample::StartVideo(const QString& DeviceText, bool ShowPreview, QString& FoundName) {
    FoundName.clear();
    if (!BuildSucceeded)
        return E_FAIL;
    if (CaptureFilter)
        return E_UNEXPECTED; // started before: the graph already holds a device
    ShowVideoWindow = ShowPreview;
    HRESULT hr = CaptureBuilder->SetFiltergraph(Graph.Get());
    if (FAILED(hr))
        return hr;
    hr = FindCaptureDevice(DeviceText, FoundName, &CaptureFilter);
    DeviceName = FoundName;
    if (FoundName.isEmpty()) {
        // The status alone cannot tell the user that the list and the devices
        // went apart (none left, or one that can no longer be read); the log
        // says which text found nothing.
        qCWarning(system::CaptureLog).noquote()
            << QStringLiteral("no video capture device matches \"%1\"").arg(DeviceText);
        return FAILED(hr) ? hr : E_FAIL;
    }
    if (FAILED(hr))
        return hr;
    if (!CaptureFilter)
        return E_FAIL;
    // An empty format list does not stop the start.
    LoadVideoFormats();
    return RenderGraph();
}

HRESULT TVideoSample::RenderGraph() {
    if (!VideoProcAmp)
        CaptureFilter.As(VideoProcAmp);
    if (!KsPropertySet)
        CaptureFilter.As(KsPropertySet);
    HRESULT hr = AddFilters();
    if (FAILED(hr))
        return hr;
    hr = RenderCaptureStream();
    if (FAILED(hr))
        return hr;
    if (ShowVideoWindow) {
        hr = SetupVideoWindow();
        if (FAILED(hr))
            return hr;
    }
    hr = MediaControl->Run();
    // Even a failed Run may have left some filters running: the object counts
    // as running, so that pause and resume still reach the graph.
    State = 2;
    return hr;
}

HRESULT TVideoSample::AddFilters() {
    HRESULT hr = Graph->AddFilter(CaptureFilter.Get(), kCaptureFilterName);
    if (FAILED(hr))
        return hr;
    hr = Graph->AddFilter(GrabberFilter.Get(), kGrabberFilterName);
    if (FAILED(hr) || ShowVideoWindow)
        return hr;
    return Graph->AddFilter(NullRenderer.Get(), kNullRendererName);
}

HRESULT TVideoSample::RenderCaptureStream() {
    // The capture pin, not the preview pin, feeds the grabber. Without a sink
    // the builder ends the stream in a new video renderer.
    dshow::IBaseFilter* sink = ShowVideoWindow ? nullptr : NullRenderer.Get();
    try {
        return CaptureBuilder->RenderStream(&dshow::PIN_CATEGORY_CAPTURE, &dshow::MEDIATYPE_Video,
                                            CaptureFilter.Get(), GrabberFilter.Get(), sink);
    } catch (...) {
        return kRenderFault;
    }
}

HRESULT TVideoSample::SetupVideoWindow() {
    if (!VideoWindow)
        return E_POINTER;
    HRESULT hr = VideoWindow->put_Owner(OwnerWindow);
    if (FAILED(hr))
        return hr;
    hr = VideoWindow->put_WindowStyle(dshow::WS_CHILD | dshow::WS_CLIPCHILDREN);
    if (FAILED(hr))
        return hr;
    ResizeVideoWindow();
    return VideoWindow->put_Visible(dshow::OATRUE);
}

HRESULT TVideoSample::ResizeVideoWindow() {
    if (!VideoWindow)
        return S_FALSE;
    dshow::RECT client{};
    if (!dshow::GetClientRect(OwnerWindow, &client))
        return E_FAIL;
    return VideoWindow->SetWindowPosition(0, 0, client.right, client.bottom);
}

HRESULT TVideoSample::PauseVideo() {
    if (State == 1)
        return S_OK;
    if (State == 0)
        return S_FALSE;
    const HRESULT hr = MediaControl->Pause();
    if (SUCCEEDED(hr))
        State = 1;
    return hr;
}

HRESULT TVideoSample::ResumeVideo() {
    if (State == 2)
        return S_OK;
    if (State == 0)
        return S_FALSE;
    const HRESULT hr = MediaControl->Run();
    if (SUCCEEDED(hr))
        State = 2;
    return hr;
}

void TVideoSample::SetCallBack(const TSampleCallBack& CallBack) {
    SampleCallBack = CallBack;
    if (GrabberCB)
        GrabberCB->Implementation().SetSampleCallBack(CallBack);
}

// ---- Destruction -----------------------------------------------------------

void TVideoSample::Destroy() {
    StopGraph();
    if (CaptureFilter) {
        CaptureFilter->Stop();
        RemoveDownstream(CaptureFilter.Get());
    }
    TearDownGraph();
    ReleaseFields();
}

void TVideoSample::StopGraph() {
    // Stopping the graph ends its streaming thread: no sample follows.
    if (MediaControl)
        MediaControl->Stop();
    State = 0;
}

void TVideoSample::RemoveDownstream(dshow::IBaseFilter* Filter) {
    if (!Graph || !Filter)
        return;
    ComPtr<dshow::IEnumPins> pins;
    if (FAILED(Filter->EnumPins(pins.ReleaseAndGetAddressOf())) || !pins)
        return;
    HRESULT hr = S_OK;
    while (hr == S_OK) {
        ComPtr<dshow::IPin> pin;
        com::ULONG fetched = 0;
        hr = pins->Next(1, pin.ReleaseAndGetAddressOf(), &fetched);
        if (hr != S_OK || !pin)
            return;
        ComPtr<dshow::IPin> peer;
        hr = pin->ConnectedTo(peer.ReleaseAndGetAddressOf());
        if (hr != S_OK || !peer)
            return;
        dshow::PIN_INFO info{};
        hr = peer->QueryPinInfo(&info);
        const auto peerFilter = ComPtr<dshow::IBaseFilter>::Attach(info.pFilter);
        if (hr == S_OK && info.dir == dshow::PINDIR_INPUT && peerFilter) {
            RemoveDownstream(peerFilter.Get());
            Graph->Disconnect(peer.Get());
            Graph->Disconnect(pin.Get());
            hr = Graph->RemoveFilter(peerFilter.Get());
        }
    }
}

// ---- Graph events ---------------------------------------------------------

HRESULT TVideoSample::SetNotifyWindow(dshow::HWND Window, dshow::LONG_PTR InstanceData) {
    if (!MediaEvent)
        return E_POINTER;
    return MediaEvent->SetNotifyWindow(Window, kGraphNotifyMessage, InstanceData);
}

bool TVideoSample::EndsStream(LONG Code) {
    return Code == dshow::EC_COMPLETE || Code == dshow::EC_ERRORABORT || Code == dshow::EC_ERRORABORTEX ||
           Code == dshow::EC_DEVICE_LOST;
}

HRESULT TVideoSample::GetGraphEvent(LONG& Code, QString& Reason) {
    Reason.clear();
    if (!MediaEvent)
        return E_POINTER;
    dshow::LONG_PTR param1 = 0;
    dshow::LONG_PTR param2 = 0;
    const HRESULT hr = MediaEvent->GetEvent(&Code, &param1, &param2, 0);
    if (FAILED(hr))
        return hr;
    if (Code == dshow::EC_ERRORABORTEX && param2 != 0) {
        const auto text = reinterpret_cast<dshow::BSTR>(param2);
        Reason = QString::fromUtf16(text, qsizetype(dshow::SysStringLen(text)));
    }
    // A device that gave no words still gets named, with the bare status.
    if (Reason.isEmpty() && EndsStream(Code))
        Reason = Code == dshow::EC_COMPLETE ? QStringLiteral("the stream of %1 ended").arg(DeviceName)
                                            : QStringLiteral("the stream of %1 failed with error 0x%2")
                                                  .arg(DeviceName)
                                                  .arg(quint32(param1), 8, 16, QLatin1Char('0'));
    MediaEvent->FreeEventParams(Code, param1, param2);
    return S_OK;
}

void TVideoSample::TearDownGraph() {
    if (SampleGrabber)
        SampleGrabber->SetCallback(nullptr, kBufferCBMode);
    // Should the graph have failed to stop, the procedure is still not called
    // once this object is gone.
    if (GrabberCB)
        GrabberCB->Implementation().SetSampleCallBack({});
    if (MediaControl)
        MediaControl->StopWhenReady();
    State = 0;
    if (MediaEvent)
        MediaEvent->SetNotifyWindow(dshow::HWND(), kGraphNotifyMessage, 0);
    if (VideoWindow) {
        VideoWindow->put_Visible(dshow::OAFALSE);
        VideoWindow->put_Owner(dshow::HWND());
    }
}

void TVideoSample::ReleaseFields() {
    VideoWindow = nullptr;
    MediaControl = nullptr;
    MediaEvent = nullptr;
    Graph = nullptr;
    CaptureBuilder = nullptr;
    StreamConfig = nullptr;
    GrabberFilter = nullptr;
    VideoProcAmp = nullptr;
    NullRenderer = nullptr;
    KsPropertySet = nullptr;
    SampleGrabber = nullptr;
    CaptureFilter = nullptr;
    GrabberCB = nullptr;
    GrabberCBIntf = nullptr; // the last reference: the callback object goes
    VideoFormats.clear();
    BuildSucceeded = false;
}

// ---- Stream formats --------------------------------------------------------

HRESULT TVideoSample::GetStreamConfig(ComPtr<dshow::IAMStreamConfig>& Config) {
    Config = nullptr;
    if (!CaptureBuilder || !CaptureFilter)
        return E_POINTER;
    const HRESULT hr = CaptureBuilder->FindInterface(&dshow::PIN_CATEGORY_CAPTURE, &dshow::MEDIATYPE_Video,
                                                     CaptureFilter.Get(), dshow::IID_IAMStreamConfig,
                                                     Config.ReleaseAndGetVoidAddress());
    if (SUCCEEDED(hr) && !Config)
        return E_POINTER;
    return hr;
}

HRESULT TVideoSample::LoadVideoFormats() {
    VideoFormats.clear();
    ComPtr<dshow::IAMStreamConfig> config;
    HRESULT hr = GetStreamConfig(config);
    if (hr != S_OK)
        return hr;
    int count = 0;
    int size = 0;
    hr = config->GetNumberOfCapabilities(&count, &size);
    if (hr != S_OK)
        return hr;
    std::vector<dshow::BYTE> caps = CapsBuffer(size);
    for (int index = 0; index < count; ++index)
        hr = AppendCapability(*config, index, caps);
    SortVideoFormats(VideoFormats);
    return hr;
}

HRESULT TVideoSample::AppendCapability(dshow::IAMStreamConfig& Config, int Index,
                                       std::vector<dshow::BYTE>& Caps) {
    std::fill(Caps.begin(), Caps.end(), dshow::BYTE{0});
    dshow::AM_MEDIA_TYPE* received = nullptr;
    const HRESULT hr = Config.GetStreamCaps(Index, &received, Caps.data());
    dshow::MediaTypePtr type(received);
    if (FAILED(hr) || !type)
        return hr; // left out of the list
    dshow::VIDEO_STREAM_CONFIG_CAPS record;
    std::memcpy(&record, Caps.data(), sizeof record);
    TVideoFormat format;
    format.Width = record.InputSize.cx;
    format.Height = record.InputSize.cy;
    format.SampleSize = type->lSampleSize;
    format.CapIndex = Index;
    format.FourCC = FourCCOfSubtype(type->subtype);
    format.MediaType = std::move(type);
    VideoFormats.push_back(std::move(format));
    return hr;
}

HRESULT TVideoSample::SetVideoFormat(std::int32_t Index) {
    if (Index < 0 || static_cast<std::size_t>(Index) >= VideoFormats.size())
        return S_FALSE;
    if (!MediaControl)
        return E_POINTER;
    const std::int32_t capIndex = VideoFormats[static_cast<std::size_t>(Index)].CapIndex;
    // The pin takes a new format only while stopped; it runs again with
    // whatever format it then holds.
    MediaControl->Stop();
    const HRESULT hr = ApplyCapability(capIndex);
    MediaControl->Run();
    return hr;
}

HRESULT TVideoSample::ApplyCapability(std::int32_t CapIndex) {
    ComPtr<dshow::IAMStreamConfig> config;
    HRESULT hr = GetStreamConfig(config);
    if (FAILED(hr))
        return hr;
    int count = 0;
    int size = 0;
    config->GetNumberOfCapabilities(&count, &size);
    std::vector<dshow::BYTE> caps = CapsBuffer(size);
    dshow::AM_MEDIA_TYPE* received = nullptr;
    hr = config->GetStreamCaps(CapIndex, &received, caps.data());
    const dshow::MediaTypePtr type(received);
    if (FAILED(hr))
        return hr;
    if (!type)
        return E_POINTER;
    return config->SetFormat(type.get());
}

HRESULT TVideoSample::GetVideoFormat(std::int32_t& Width, std::int32_t& Height, std::uint32_t& FourCC) {
    Width = 0;
    Height = 0;
    FourCC = 0;
    if (!MediaControl || !CaptureFilter)
        return E_POINTER;
    MediaControl->Stop();
    CaptureFilter->Stop();
    ComPtr<dshow::IAMStreamConfig> config;
    HRESULT hr = GetStreamConfig(config);
    if (hr == S_OK)
        hr = ReadFormat(*config, Width, Height, FourCC);
    CaptureFilter->Run(0);
    MediaControl->Run();
    return hr;
}

HRESULT TVideoSample::ReadFormat(dshow::IAMStreamConfig& Config, std::int32_t& Width, std::int32_t& Height,
                                 std::uint32_t& FourCC) {
    dshow::AM_MEDIA_TYPE* received = nullptr;
    const HRESULT hr = Config.GetFormat(&received);
    const dshow::MediaTypePtr type(received);
    if (FAILED(hr) || !type)
        return hr;
    // Only the plain video header is read; other layouts report no size.
    const dshow::VIDEOINFOHEADER* info = dshow::VideoInfo(*type);
    if (!info)
        return hr;
    Width = info->bmiHeader.biWidth;
    Height = dshow::HeightMagnitude(info->bmiHeader.biHeight);
    FourCC = info->bmiHeader.biCompression;
    return hr;
}

void TVideoSample::GetListOfVideoSizes(QStringList* List) const {
    if (!List)
        return;
    List->clear();
    if (State == 0)
        return;
    for (const TVideoFormat& format : VideoFormats)
        List->append(format.Text());
}

// ---- Image controls and dialogs ------------------------------------------

HRESULT TVideoSample::GetVideoPropertySettings(LONG Property, LONG& Min, LONG& Max, LONG& Step, LONG& Default,
                                               LONG& Flags, LONG& Value) {
    if (!VideoProcAmp)
        return S_FALSE;
    const HRESULT range = VideoProcAmp->GetRange(Property, &Min, &Max, &Step, &Default, &Flags);
    Value = Default;
    if (range != S_OK)
        return range;
    LONG current = Value;
    LONG currentFlags = Flags;
    const HRESULT hr = VideoProcAmp->Get(Property, &current, &currentFlags);
    if (SUCCEEDED(hr)) {
        Value = current;
        Flags = currentFlags;
    }
    return hr;
}

HRESULT TVideoSample::SetVideoProperty(LONG Property, LONG Flags, LONG Value) {
    if (!VideoProcAmp)
        return S_FALSE;
    return VideoProcAmp->Set(Property, Value, Flags);
}

HRESULT TVideoSample::ShowPropertyPages(com::IUnknown* Object, dshow::LPCOLESTR Caption) {
    if (!Object)
        return E_POINTER;
    ComPtr<dshow::ISpecifyPropertyPages> specify;
    HRESULT hr = Object->QueryInterface(dshow::IID_ISpecifyPropertyPages, specify.ReleaseAndGetVoidAddress());
    if (hr != S_OK)
        return hr;
    if (!specify)
        return E_POINTER;
    dshow::CAUUID pages{0, nullptr};
    hr = specify->GetPages(&pages);
    const std::unique_ptr<com::GUID, TaskMemFree> pageList(pages.pElems);
    if (hr != S_OK)
        return hr;
    if (pages.cElems == 0)
        return S_OK;
    com::IUnknown* objects[] = {Object};
    return dshow::OleCreatePropertyFrame(OwnerWindow, 0, 0, Caption, 1, objects, pages.cElems, pageList.get(),
                                         0, 0, nullptr);
}

HRESULT TVideoSample::ShowPropertyDialog() {
    if (!CaptureFilter)
        return E_POINTER;
    dshow::FILTER_INFO info{};
    const HRESULT hr = CaptureFilter->QueryFilterInfo(&info);
    const auto graph = ComPtr<dshow::IFilterGraph>::Attach(info.pGraph);
    if (FAILED(hr))
        return hr;
    info.achName[dshow::MAX_FILTER_NAME - 1] = u'\0';
    // The device's own dialog: capture goes on while it is open.
    return ShowPropertyPages(CaptureFilter.Get(), info.achName);
}

HRESULT TVideoSample::ShowStreamPropertyDialog() {
    if (!MediaControl)
        return E_POINTER;
    // Formats change only while stopped; the graph runs again in whatever
    // format the pin holds when the dialog closes.
    MediaControl->Stop();
    ComPtr<dshow::IAMStreamConfig> config;
    HRESULT hr = GetStreamConfig(config);
    if (hr == S_OK)
        hr = ShowPropertyPages(config.Get(), kNoCaption);
    MediaControl->Run();
    return hr;
}

} // namespace kamsel::capture

#pragma once
// TVideoSample: the capture object. It turns one video capture device into a
// stream of raw samples delivered to a registered TSampleCallBack, through a
// filter graph of three filters: the device's capture filter ("Video
// Capture"), a sample grabber ("Sample Grabber") and a null renderer ("Null
// Renderer"), or, in preview mode, the default video renderer drawing into a
// child of the owner window in place of the null renderer. It also offers the
// device's stream formats, its image controls and its own property dialogs.
//
// Statuses are platform status codes: 0 success, negative failure, 1 when
// there was nothing to do. Nothing here throws.
//
// Use: Create (the graph objects are built and the callback object is
// registered with the grabber; the status comes back through Create's Status
// argument), StartVideo once, SetCallBack, then any of the other operations,
// and destroy. An object whose construction failed stays usable
// for destruction only: StartVideo returns E_FAIL, and every operation that
// needs an object it does not have returns E_POINTER without touching it.
//
// Threads: every member runs on the user-interface thread. The registered
// procedure runs on the graph's streaming thread (see TSampleCallBack).
// Destroy (and the destructor) stops the stream first: once it returns, no
// sample is delivered and no thread of the graph is left.

#include "TSampleCallBack.h"
#include "TSampleGrabberCB.h"
#include "TVideoFormat.h"

#include "platform/com/ComPtr.h"
#include "platform/dshow/DShow.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

namespace kamsel::capture {

class TVideoSample {
  public:
    // Callback modes of the grabber.
    static constexpr std::int32_t kSampleCBMode = 0;
    static constexpr std::int32_t kBufferCBMode = 1;
    // Notification message of graph events, sent to the owner window.
    static constexpr com::LONG kGraphNotifyMessage = dshow::WM_APP + 1;

    // A new capture object: builds the graph objects (BuildGraph) and puts its
    // status into Status. The object comes back whatever the status; its owner
    // destroys it in every case. ForceRGB24 makes the grabber accept only
    // RGB24; CallBackMode chooses SampleCB (0: the buffer's capacity) or
    // BufferCB (1: its valid bytes). OwnerWindow receives graph events and
    // owns the preview window and the property dialogs.
    static std::unique_ptr<TVideoSample> Create(dshow::HWND OwnerWindow, bool ForceRGB24,
                                                std::int32_t CallBackMode, com::HRESULT& Status);
    ~TVideoSample();
    TVideoSample(const TVideoSample&) = delete;
    TVideoSample& operator=(const TVideoSample&) = delete;

    // Finds the device ("#" and its position, or a friendly name), loads its
    // formats, connects and runs the graph. FoundName receives the device's
    // trimmed friendly name (empty when none matched). E_FAIL when no device
    // matched (logged to kamsel.capture with the text); -1 when connecting
    // raised a fault. State is 2 once Run was reached, also when Run failed.
    // At most once per object: a second call returns E_UNEXPECTED.
    com::HRESULT StartVideo(const QString& DeviceText, bool ShowPreview, QString& FoundName);
    // 0 when already paused, 1 when stopped, else the status of the pause.
    com::HRESULT PauseVideo();
    // 0 when already running, 1 when stopped, else the status of the run.
    com::HRESULT ResumeVideo();
    // Registers the pair; may be called again at any time to replace it, but
    // not from the procedure itself. When it returns, the previous procedure
    // is no longer running and is not called again. Samples arriving before
    // the first call are dropped.
    void SetCallBack(const TSampleCallBack& CallBack);
    // Stops the graph, dismantles it and releases everything; idempotent.
    void Destroy();

    // Graph events. SetNotifyWindow sends the notification of each event to
    // Window (as kGraphNotifyMessage with lParam InstanceData) instead of the
    // owner window; the window must outlive this object or be replaced first.
    com::HRESULT SetNotifyWindow(dshow::HWND Window, dshow::LONG_PTR InstanceData);
    // Takes the next queued event without waiting: S_OK with its code, and for
    // a stream that ended on its own (EndsStream) the wording of why, naming
    // the device; E_ABORT when none is queued.
    com::HRESULT GetGraphEvent(com::LONG& Code, QString& Reason);
    // The event says the stream ended without being asked to: the device went
    // away, failed, or ran out.
    static bool EndsStream(com::LONG Code);

    // Preview mode: the video window covers the owner window's client area.
    com::HRESULT ResizeVideoWindow();

    // Stream formats. GetStreamConfig looks the capture pin's stream
    // configuration up afresh; the caller owns what it returns.
    com::HRESULT GetStreamConfig(com::ComPtr<dshow::IAMStreamConfig>& Config);
    // Reads every capability into the format list, sorted by width, then
    // height; capabilities that cannot be read are left out.
    com::HRESULT LoadVideoFormats();
    // Applies format list entry Index between a graph stop and run; 1 for an
    // index outside the list (the graph is not touched).
    com::HRESULT SetVideoFormat(std::int32_t Index);
    // The format in force, between a graph stop and run. Only FORMAT_VideoInfo
    // formats report a size; others give 0, 0, 0 with success. The height is
    // positive for bottom-up and top-down rows alike; FourCC 0 is RGB.
    com::HRESULT GetVideoFormat(std::int32_t& Width, std::int32_t& Height, std::uint32_t& FourCC);
    // One line per format ("640*480  (YUY2)"), line i naming entry i; no lines
    // while stopped (State 0). A null list is left alone.
    void GetListOfVideoSizes(QStringList* List) const;

    // Image controls (property numbers 0..9, flags 1 automatic, 2 manual).
    // Both return 1 without touching anything when the device has none.
    // GetVideoPropertySettings gives the range, then the current value and
    // flags; when reading the current value fails, Value holds the default and
    // Flags the capability flags.
    com::HRESULT GetVideoPropertySettings(com::LONG Property, com::LONG& Min, com::LONG& Max, com::LONG& Step,
                                          com::LONG& Default, com::LONG& Flags, com::LONG& Value);
    // No range check: the device decides.
    com::HRESULT SetVideoProperty(com::LONG Property, com::LONG Flags, com::LONG Value);

    // Property dialogs, modal, owned by the owner window. 0 without opening
    // anything when the object offers no page.
    com::HRESULT ShowPropertyPages(com::IUnknown* Object, dshow::LPCOLESTR Caption);
    // The device's pages, captioned with the filter's name in the graph; the
    // graph keeps running.
    com::HRESULT ShowPropertyDialog();
    // The capture pin's format pages, with the graph stopped; it runs again
    // afterwards whatever the dialog did. State is not changed.
    com::HRESULT ShowStreamPropertyDialog();

    // 0 stopped, 1 paused, 2 running.
    std::uint8_t GetState() const { return State; }
    const std::vector<TVideoFormat>& GetFormats() const { return VideoFormats; }
    TSampleCallBack GetCallBack() const { return SampleCallBack; }
    // The graph's objects, for inspection; empty before they exist and after
    // Destroy.
    dshow::IGraphBuilder* GetGraph() const { return Graph.Get(); }
    dshow::IBaseFilter* GetCaptureFilter() const { return CaptureFilter.Get(); }
    dshow::IBaseFilter* GetGrabberFilter() const { return GrabberFilter.Get(); }
    dshow::IBaseFilter* GetNullRenderer() const { return NullRenderer.Get(); }
    dshow::IVideoWindow* GetVideoWindow() const { return VideoWindow.Get(); }
    TSampleGrabberCB* GetGrabberCB() const { return GrabberCB; }

  private:
    explicit TVideoSample(dshow::HWND Owner);

    com::HRESULT BuildGraph(bool ForceRGB24, std::int32_t CallBackMode);
    com::HRESULT CreateGraphObjects();
    com::HRESULT RegisterCallBack(bool ForceRGB24, std::int32_t CallBackMode);
    com::HRESULT CreateCaptureBuilder();
    com::HRESULT QueryGraphControls();
    com::HRESULT RenderGraph();
    com::HRESULT AddFilters();
    com::HRESULT RenderCaptureStream();
    com::HRESULT SetupVideoWindow();

    com::HRESULT ReadFormat(dshow::IAMStreamConfig& Config, std::int32_t& Width, std::int32_t& Height,
                            std::uint32_t& FourCC);
    com::HRESULT ApplyCapability(std::int32_t CapIndex);
    com::HRESULT AppendCapability(dshow::IAMStreamConfig& Config, int Index, std::vector<dshow::BYTE>& Caps);

    void StopGraph();
    void RemoveDownstream(dshow::IBaseFilter* Filter);
    void TearDownGraph();
    void ReleaseFields();

    // In declaration order, which is also the order of release.
    dshow::HWND OwnerWindow;
    com::ComPtr<dshow::IVideoWindow> VideoWindow;
    com::ComPtr<dshow::IMediaControl> MediaControl;
    com::ComPtr<dshow::IMediaEventEx> MediaEvent;
    com::ComPtr<dshow::IGraphBuilder> Graph;
    com::ComPtr<dshow::ICaptureGraphBuilder2> CaptureBuilder;
    std::uint8_t State = 0;
    // Never filled: the stream configuration is looked up for every use.
    com::ComPtr<dshow::IAMStreamConfig> StreamConfig;
    com::ComPtr<dshow::IBaseFilter> GrabberFilter;
    com::ComPtr<dshow::IAMVideoProcAmp> VideoProcAmp;
    com::ComPtr<dshow::IBaseFilter> NullRenderer;
    // Held for the life of the object and not called.
    com::ComPtr<dshow::IKsPropertySet> KsPropertySet;
    com::ComPtr<dshow::ISampleGrabber> SampleGrabber;
    com::ComPtr<dshow::IBaseFilter> CaptureFilter;
    // Not counted: GrabberCBIntf keeps the object alive.
    TSampleGrabberCB* GrabberCB = nullptr;
    com::ComPtr<TSampleGrabberCBInt> GrabberCBIntf;
    bool ShowVideoWindow = false;
    TSampleCallBack SampleCallBack;
    std::vector<TVideoFormat> VideoFormats;
    // Friendly name of the device found by StartVideo, for the words of its events.
    QString DeviceName;

    bool BuildSucceeded = false;
};

} // namespace kamsel::capture

#pragma once
// Control of a filter graph and the capture graph builder. Each interface keeps
// its published name and identifier and declares the published methods the
// capture code uses, in their published relative order. The platform's
// automation base (IDispatch) is not offered.

#include "FilterInterfaces.h"

namespace kamsel::dshow {

using OAFilterState = LONG; // a FILTER_STATE value

struct IMediaControl : IUnknown {
    static constexpr IID Iid = {0x56A868B1, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
    // Each returns S_OK, S_FALSE (a transition still under way: success too)
    // or the first failure of a filter.
    virtual HRESULT Run() = 0;
    virtual HRESULT Pause() = 0;
    virtual HRESULT Stop() = 0;
    virtual HRESULT GetState(LONG timeoutMs, OAFilterState* state) = 0;
    // Pauses the filters, then stops them; nothing when already stopped.
    virtual HRESULT StopWhenReady() = 0;

  protected:
    ~IMediaControl() = default;
};

// Graph event codes. EC_ERRORABORTEX carries the failure's status in the
// first parameter and its wording as a BSTR (or null) in the second.
constexpr LONG EC_COMPLETE = 0x01;
constexpr LONG EC_ERRORABORT = 0x03;
constexpr LONG EC_DEVICE_LOST = 0x1F;
constexpr LONG EC_ERRORABORTEX = 0x45;

struct IMediaEvent : IUnknown {
    static constexpr IID Iid = {0x56A868B6, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
    // Takes the oldest queued event; E_ABORT when none comes within timeoutMs
    // (0: do not wait; negative: wait as long as it takes). Its parameters
    // belong to the caller until FreeEventParams.
    virtual HRESULT GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG timeoutMs) = 0;
    virtual HRESULT FreeEventParams(LONG code, LONG_PTR param1, LONG_PTR param2) = 0;

  protected:
    ~IMediaEvent() = default;
};

struct IMediaEventEx : IMediaEvent {
    static constexpr IID Iid = {0x56A868C0, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
    using Base = IMediaEvent;
    // Registers the window that is told about graph events (none for no
    // window): for each queued event a WindowMessage of that number with
    // lParam instanceData is posted to it. The window must stay registered
    // only while it lives.
    virtual HRESULT SetNotifyWindow(OAHWND window, LONG message, LONG_PTR instanceData) = 0;

  protected:
    ~IMediaEventEx() = default;
};

// What a filter uses to tell its graph about an event, from any thread. The
// graph takes ownership of the parameters (a BSTR of EC_ERRORABORTEX).
struct IMediaEventSink : IUnknown {
    static constexpr IID Iid = {0x56A868A2, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
    virtual HRESULT Notify(LONG code, LONG_PTR param1, LONG_PTR param2) = 0;

  protected:
    ~IMediaEventSink() = default;
};

// The video window of the graph's video renderer. The graph answers
// E_NOINTERFACE when it holds no video renderer.
struct IVideoWindow : IUnknown {
    static constexpr IID Iid = {0x56A868B4, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
    virtual HRESULT put_WindowStyle(LONG style) = 0;
    virtual HRESULT get_WindowStyle(LONG* style) = 0;
    virtual HRESULT put_Visible(LONG visible) = 0; // OATRUE or OAFALSE
    virtual HRESULT get_Visible(LONG* visible) = 0;
    virtual HRESULT put_Owner(OAHWND owner) = 0;
    virtual HRESULT get_Owner(OAHWND* owner) = 0;
    virtual HRESULT SetWindowPosition(LONG left, LONG top, LONG width, LONG height) = 0;
    virtual HRESULT GetWindowPosition(LONG* left, LONG* top, LONG* width, LONG* height) = 0;

  protected:
    ~IVideoWindow() = default;
};

struct ICaptureGraphBuilder2 : IUnknown {
    static constexpr IID Iid = {0x93E5A4E0, 0x2D50, 0x11D2, {0xAB, 0xFA, 0x00, 0xA0, 0xC9, 0xC6, 0xE3, 0x8D}};
    virtual HRESULT SetFiltergraph(IGraphBuilder* graph) = 0;
    virtual HRESULT GetFiltergraph(IGraphBuilder** graph) = 0;
    // The riid interface of the filter's output pin of that category (and
    // major type), or of the filter itself when no category is given.
    virtual HRESULT FindInterface(const GUID* category, const GUID* type, IBaseFilter* filter, REFIID riid,
                                  void** object) = 0;
    // Connects the source's output pin of that category (and major type)
    // through the intermediate filter (if any) to the sink; with no sink, to a
    // new video renderer added to the graph. All given filters must be in the
    // graph.
    virtual HRESULT RenderStream(const GUID* category, const GUID* type, IUnknown* source,
                                 IBaseFilter* intermediate, IBaseFilter* sink) = 0;

  protected:
    ~ICaptureGraphBuilder2() = default;
};

inline constexpr const IID& IID_IMediaControl = IMediaControl::Iid;
inline constexpr const IID& IID_IMediaEvent = IMediaEvent::Iid;
inline constexpr const IID& IID_IMediaEventEx = IMediaEventEx::Iid;
inline constexpr const IID& IID_IMediaEventSink = IMediaEventSink::Iid;
inline constexpr const IID& IID_IVideoWindow = IVideoWindow::Iid;
inline constexpr const IID& IID_ICaptureGraphBuilder2 = ICaptureGraphBuilder2::Iid;

} // namespace kamsel::dshow

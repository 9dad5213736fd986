#pragma once
// The filter graph manager (CLSID_FilterGraph): holds filters under unique
// names, connects and disconnects their pins, and runs, pauses and stops them
// together: downstream filters before upstream ones when starting, the
// sources first when stopping, so no sample reaches a filter that is not
// ready. Its video window interface is that of the video renderer it holds
// (E_NOINTERFACE without one). Filters report events (a stream that ended on
// its own) through IMediaEventSink; the graph queues them for GetEvent and
// posts a notification to the registered window for each.
//
// Threads: user-interface thread, except Notify, which filters call on their
// streaming threads. Releasing the graph stops its filters, breaks their
// connections and removes them; events still queued are freed.

#include "FilterInterfaces.h"
#include "GraphInterfaces.h"
#include "LiveObject.h"

#include "platform/com/ComObject.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace kamsel::dshow {

class FilterGraph final : public com::ComObject<IGraphBuilder, IMediaControl, IMediaEventEx, IVideoWindow,
                                                IMediaFilter, IMediaEventSink>,
                          private LiveObject {
  public:
    FilterGraph() = default;

    // IFilterGraph, IGraphBuilder
    HRESULT AddFilter(IBaseFilter* filter, LPCWSTR name) override;
    HRESULT RemoveFilter(IBaseFilter* filter) override;
    HRESULT ConnectDirect(IPin* output, IPin* input, const AM_MEDIA_TYPE* type) override;
    HRESULT Reconnect(IPin* pin) override;
    HRESULT Disconnect(IPin* pin) override;
    HRESULT Connect(IPin* output, IPin* input) override;

    // IMediaControl and IMediaFilter
    HRESULT Run() override;
    HRESULT Pause() override;
    HRESULT Stop() override;
    HRESULT GetState(LONG timeoutMs, OAFilterState* state) override;
    HRESULT StopWhenReady() override;
    HRESULT GetClassID(CLSID* classId) override;
    HRESULT Run(REFERENCE_TIME start) override;
    HRESULT GetState(DWORD timeoutMs, FILTER_STATE* state) override;

    // IMediaEvent, IMediaEventEx
    HRESULT GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG timeoutMs) override;
    HRESULT FreeEventParams(LONG code, LONG_PTR param1, LONG_PTR param2) override;
    HRESULT SetNotifyWindow(OAHWND window, LONG message, LONG_PTR instanceData) override;

    // IMediaEventSink, any thread
    HRESULT Notify(LONG code, LONG_PTR param1, LONG_PTR param2) override;

    // IVideoWindow, of the graph's video renderer
    HRESULT put_WindowStyle(LONG style) override;
    HRESULT get_WindowStyle(LONG* style) override;
    HRESULT put_Visible(LONG visible) override;
    HRESULT get_Visible(LONG* visible) override;
    HRESULT put_Owner(OAHWND owner) override;
    HRESULT get_Owner(OAHWND* owner) override;
    HRESULT SetWindowPosition(LONG left, LONG top, LONG width, LONG height) override;
    HRESULT GetWindowPosition(LONG* left, LONG* top, LONG* width, LONG* height) override;

  private:
    struct Entry {
        com::ComPtr<IBaseFilter> filter;
        std::u16string name;
    };

    ~FilterGraph() override;

    std::vector<Entry>::iterator Find(IUnknown* filter);
    bool Holds(IPin* pin);
    // The filters with each one after every filter it feeds (sinks first).
    std::vector<com::ComPtr<IBaseFilter>> DownstreamFirst();
    // Moves every filter to state (Run with start 0), in the right order; the
    // first failure, or S_FALSE when a filter is still on its way, else S_OK.
    HRESULT ChangeState(FILTER_STATE state);
    HRESULT VideoWindow(com::ComPtr<IVideoWindow>& window);
    // Calls method on the graph's video renderer, or fails as VideoWindow does.
    template <class... Params, class... Args>
    HRESULT OnVideoWindow(HRESULT (IVideoWindow::*method)(Params...), Args... args) {
        com::ComPtr<IVideoWindow> window;
        const HRESULT hr = VideoWindow(window);
        return com::FAILED(hr) ? hr : (window.Get()->*method)(args...);
    }

    std::vector<Entry> filters_;
    FILTER_STATE state_ = State_Stopped;
    struct Event {
        LONG code;
        LONG_PTR param1;
        LONG_PTR param2;
    };

    // eventLock_ guards events_ and the notification fields: streaming threads
    // queue events and post the notification, the user-interface thread takes
    // the events and registers the window. The window is kept as a plain
    // pointer because a handle's guard may only be read on its own thread.
    std::mutex eventLock_;
    std::condition_variable eventQueued_; // with eventLock_
    std::deque<Event> events_;
    QWidget* notifyWindow_ = nullptr;
    LONG notifyMessage_ = 0;
    LONG_PTR notifyData_ = 0;
};

} // namespace kamsel::dshow

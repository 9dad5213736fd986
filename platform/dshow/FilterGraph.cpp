#include "FilterGraph.h"

#include "ComApi.h"
#include "Uuids.h"
#include "Variant.h"
#include "WindowMessage.h"

#include <algorithm>
#include <chrono>
#include <map>

namespace kamsel::dshow {

namespace {

// The identity of a COM object: its IUnknown.
com::ComPtr<IUnknown> Identity(IUnknown* object) {
    com::ComPtr<IUnknown> identity;
    if (object)
        object->QueryInterface(IUnknown::Iid, identity.ReleaseAndGetVoidAddress());
    return identity;
}

std::vector<com::ComPtr<IPin>> PinsOf(IBaseFilter& filter) {
    std::vector<com::ComPtr<IPin>> pins;
    com::ComPtr<IEnumPins> enumerator;
    if (FAILED(filter.EnumPins(enumerator.ReleaseAndGetAddressOf())))
        return pins;
    com::ComPtr<IPin> pin;
    while (enumerator->Next(1, pin.ReleaseAndGetAddressOf(), nullptr) == S_OK)
        pins.push_back(pin);
    return pins;
}

com::ComPtr<IBaseFilter> FilterOf(IPin& pin) {
    PIN_INFO info{};
    if (FAILED(pin.QueryPinInfo(&info)))
        return nullptr;
    return com::ComPtr<IBaseFilter>::Attach(info.pFilter);
}

// Breaks both sides of every connection of the filter's pins.
void DisconnectAll(IBaseFilter& filter) {
    for (const auto& pin : PinsOf(filter)) {
        com::ComPtr<IPin> peer;
        if (SUCCEEDED(pin->ConnectedTo(peer.ReleaseAndGetAddressOf())) && peer)
            peer->Disconnect();
        pin->Disconnect();
    }
}

} // namespace

FilterGraph::~FilterGraph() {
    Stop();
    for (Entry& entry : filters_)
        DisconnectAll(*entry.filter);
    for (Entry& entry : filters_)
        entry.filter->JoinFilterGraph(nullptr, nullptr);
    // Stopped, no filter can queue more: what nobody took is freed here.
    for (const Event& event : events_)
        FreeEventParams(event.code, event.param1, event.param2);
}

std::vector<FilterGraph::Entry>::iterator FilterGraph::Find(IUnknown* filter) {
    const com::ComPtr<IUnknown> wanted = Identity(filter);
    return std::find_if(filters_.begin(), filters_.end(),
                        [&](const Entry& entry) { return wanted && Identity(entry.filter.Get()) == wanted; });
}

bool FilterGraph::Holds(IPin* pin) {
    const com::ComPtr<IBaseFilter> filter = FilterOf(*pin);
    return filter && Find(filter.Get()) != filters_.end();
}

HRESULT FilterGraph::AddFilter(IBaseFilter* filter, LPCWSTR name) {
    if (!filter)
        return E_POINTER;
    if (Find(filter) != filters_.end())
        return E_INVALIDARG;
    std::u16string unique = name ? std::u16string(name) : std::u16string();
    if (unique.empty())
        unique = u"Filter " + std::u16string(QString::number(filters_.size() + 1).toStdU16String());
    unique.resize(std::min<std::size_t>(unique.size(), MAX_FILTER_NAME - 1));
    if (std::any_of(filters_.begin(), filters_.end(),
                    [&](const Entry& entry) { return entry.name == unique; }))
        return VFW_E_DUPLICATE_NAME;
    if (const HRESULT hr = filter->JoinFilterGraph(this, unique.c_str()); FAILED(hr))
        return hr;
    filters_.push_back({com::ComPtr<IBaseFilter>(filter), unique});
    return S_OK;
}

HRESULT FilterGraph::RemoveFilter(IBaseFilter* filter) {
    if (!filter)
        return E_POINTER;
    const auto found = Find(filter);
    if (found == filters_.end())
        return VFW_E_NOT_FOUND;
    if (state_ != State_Stopped)
        return VFW_E_NOT_STOPPED;
    const com::ComPtr<IBaseFilter> removed = found->filter;
    filters_.erase(found);
    DisconnectAll(*removed);
    removed->JoinFilterGraph(nullptr, nullptr);
    return S_OK;
}

HRESULT FilterGraph::ConnectDirect(IPin* output, IPin* input, const AM_MEDIA_TYPE* type) {
    if (!output || !input)
        return E_POINTER;
    if (state_ != State_Stopped)
        return VFW_E_NOT_STOPPED;
    if (!Holds(output) || !Holds(input))
        return VFW_E_NOT_IN_GRAPH;
    return output->Connect(input, type);
}

HRESULT FilterGraph::Connect(IPin* output, IPin* input) {
    return ConnectDirect(output, input, nullptr);
}

HRESULT FilterGraph::Reconnect(IPin* pin) {
    if (!pin)
        return E_POINTER;
    if (state_ != State_Stopped)
        return VFW_E_NOT_STOPPED;
    com::ComPtr<IPin> peer;
    if (const HRESULT hr = pin->ConnectedTo(peer.ReleaseAndGetAddressOf()); FAILED(hr))
        return hr;
    PIN_DIRECTION direction = PINDIR_INPUT;
    if (const HRESULT hr = pin->QueryDirection(&direction); FAILED(hr))
        return hr;
    const com::ComPtr<IPin> output = direction == PINDIR_OUTPUT ? com::ComPtr<IPin>(pin) : peer;
    const com::ComPtr<IPin> input = direction == PINDIR_OUTPUT ? peer : com::ComPtr<IPin>(pin);
    output->Disconnect();
    input->Disconnect();
    return output->Connect(input.Get(), nullptr);
}

HRESULT FilterGraph::Disconnect(IPin* pin) {
    if (!pin)
        return E_POINTER;
    if (!Holds(pin))
        return VFW_E_NOT_IN_GRAPH;
    return pin->Disconnect();
}

std::vector<com::ComPtr<IBaseFilter>> FilterGraph::DownstreamFirst() {
    // A filter's rank is the length of the longest chain of filters it feeds.
    std::map<IUnknown*, int> rank;
    std::vector<std::pair<IUnknown*, std::vector<com::ComPtr<IUnknown>>>> feeds;
    std::vector<com::ComPtr<IUnknown>> identities;
    for (const Entry& entry : filters_) {
        identities.push_back(Identity(entry.filter.Get()));
        std::vector<com::ComPtr<IUnknown>> downstream;
        for (const auto& pin : PinsOf(*entry.filter)) {
            PIN_DIRECTION direction = PINDIR_INPUT;
            com::ComPtr<IPin> peer;
            if (SUCCEEDED(pin->QueryDirection(&direction)) && direction == PINDIR_OUTPUT &&
                SUCCEEDED(pin->ConnectedTo(peer.ReleaseAndGetAddressOf())) && peer)
                if (const auto filter = FilterOf(*peer))
                    downstream.push_back(Identity(filter.Get()));
        }
        feeds.emplace_back(identities.back().Get(), std::move(downstream));
        rank[identities.back().Get()] = 0;
    }
    for (std::size_t pass = 0; pass < filters_.size(); ++pass)
        for (const auto& [filter, downstream] : feeds)
            for (const auto& next : downstream)
                if (const auto found = rank.find(next.Get()); found != rank.end())
                    rank[filter] = std::max(rank[filter], found->second + 1);
    std::vector<std::size_t> order(filters_.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return rank[identities[a].Get()] < rank[identities[b].Get()];
    });
    std::vector<com::ComPtr<IBaseFilter>> sorted;
    for (const std::size_t i : order)
        sorted.push_back(filters_[i].filter);
    return sorted;
}

HRESULT FilterGraph::ChangeState(FILTER_STATE state) {
    std::vector<com::ComPtr<IBaseFilter>> order = DownstreamFirst();
    if (state == State_Stopped)
        std::reverse(order.begin(), order.end());
    HRESULT result = S_OK;
    for (const auto& filter : order) {
        const HRESULT hr = state == State_Running  ? filter->Run(0)
                           : state == State_Paused ? filter->Pause()
                                                   : filter->Stop();
        if (FAILED(hr) && SUCCEEDED(result))
            result = hr;
        else if (hr == S_FALSE && result == S_OK)
            result = S_FALSE;
        // Stopping goes on past a failure so that every filter that can stop does.
        if (FAILED(hr) && state != State_Stopped)
            return hr;
    }
    return result;
}

HRESULT FilterGraph::Run() {
    if (state_ == State_Running)
        return S_OK;
    const FILTER_STATE before = state_;
    HRESULT hr = S_OK;
    if (before == State_Stopped)
        hr = ChangeState(State_Paused);
    if (SUCCEEDED(hr))
        hr = ChangeState(State_Running);
    if (FAILED(hr)) {
        // Filters that already moved go back to where the graph was.
        ChangeState(before);
        return hr;
    }
    state_ = State_Running;
    return hr;
}

HRESULT FilterGraph::Pause() {
    if (state_ == State_Paused)
        return S_OK;
    const FILTER_STATE before = state_;
    const HRESULT hr = ChangeState(State_Paused);
    if (FAILED(hr)) {
        ChangeState(before);
        return hr;
    }
    state_ = State_Paused;
    return hr;
}

HRESULT FilterGraph::Stop() {
    const HRESULT hr = ChangeState(State_Stopped);
    state_ = State_Stopped;
    return hr;
}

HRESULT FilterGraph::StopWhenReady() {
    if (state_ == State_Stopped)
        return S_OK;
    // Filters here are ready as soon as they are paused.
    if (const HRESULT hr = Pause(); FAILED(hr))
        return hr;
    return Stop();
}

HRESULT FilterGraph::GetState(LONG, OAFilterState* state) {
    if (!state)
        return E_POINTER;
    *state = state_;
    return S_OK;
}

HRESULT FilterGraph::GetClassID(CLSID* classId) {
    if (!classId)
        return E_POINTER;
    *classId = CLSID_FilterGraph;
    return S_OK;
}

HRESULT FilterGraph::Run(REFERENCE_TIME) {
    return Run();
}

HRESULT FilterGraph::GetState(DWORD, FILTER_STATE* state) {
    if (!state)
        return E_POINTER;
    *state = state_;
    return S_OK;
}

HRESULT FilterGraph::GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG timeoutMs) {
    if (!code || !param1 || !param2)
        return E_POINTER;
    std::unique_lock lock(eventLock_);
    const auto queued = [this] { return !events_.empty(); };
    if (timeoutMs < 0)
        eventQueued_.wait(lock, queued);
    else if (!eventQueued_.wait_for(lock, std::chrono::milliseconds(timeoutMs), queued))
        return E_ABORT;
    const Event event = events_.front();
    events_.pop_front();
    *code = event.code;
    *param1 = event.param1;
    *param2 = event.param2;
    return S_OK;
}

HRESULT FilterGraph::FreeEventParams(LONG code, LONG_PTR, LONG_PTR param2) {
    if (code == EC_ERRORABORTEX)
        SysFreeString(reinterpret_cast<BSTR>(param2));
    return S_OK;
}

HRESULT FilterGraph::SetNotifyWindow(OAHWND window, LONG message, LONG_PTR instanceData) {
    const std::lock_guard lock(eventLock_);
    notifyWindow_ = window.Widget();
    notifyMessage_ = message;
    notifyData_ = instanceData;
    return S_OK;
}

HRESULT FilterGraph::Notify(LONG code, LONG_PTR param1, LONG_PTR param2) {
    const std::lock_guard lock(eventLock_);
    events_.push_back({code, param1, param2});
    eventQueued_.notify_all();
    // Posted under the lock: once SetNotifyWindow has replaced the window, no
    // notification can reach the old one.
    WindowMessage::Post(notifyWindow_, UINT(notifyMessage_), 0, notifyData_);
    return S_OK;
}

HRESULT FilterGraph::VideoWindow(com::ComPtr<IVideoWindow>& window) {
    for (const Entry& entry : filters_)
        if (SUCCEEDED(entry.filter.As(window)))
            return S_OK;
    return E_NOINTERFACE;
}

HRESULT FilterGraph::put_WindowStyle(LONG style) {
    return OnVideoWindow(&IVideoWindow::put_WindowStyle, style);
}

HRESULT FilterGraph::get_WindowStyle(LONG* style) {
    return OnVideoWindow(&IVideoWindow::get_WindowStyle, style);
}

HRESULT FilterGraph::put_Visible(LONG visible) {
    return OnVideoWindow(&IVideoWindow::put_Visible, visible);
}

HRESULT FilterGraph::get_Visible(LONG* visible) {
    return OnVideoWindow(&IVideoWindow::get_Visible, visible);
}

HRESULT FilterGraph::put_Owner(OAHWND owner) {
    return OnVideoWindow(&IVideoWindow::put_Owner, owner);
}

HRESULT FilterGraph::get_Owner(OAHWND* owner) {
    return OnVideoWindow(&IVideoWindow::get_Owner, owner);
}

HRESULT FilterGraph::SetWindowPosition(LONG left, LONG top, LONG width, LONG height) {
    return OnVideoWindow(&IVideoWindow::SetWindowPosition, left, top, width, height);
}

HRESULT FilterGraph::GetWindowPosition(LONG* left, LONG* top, LONG* width, LONG* height) {
    return OnVideoWindow(&IVideoWindow::GetWindowPosition, left, top, width, height);
}

} // namespace kamsel::dshow

#include "CaptureGraphBuilder.h"

#include "ComApi.h"
#include "DeviceControlInterfaces.h"
#include "Uuids.h"

namespace kamsel::dshow {

namespace {

struct PinQuery {
    PIN_DIRECTION direction = PINDIR_OUTPUT;
    const GUID* category = nullptr; // null: any
    const GUID* type = nullptr;     // major type; null: any
    bool unconnectedOnly = false;
};

bool HasCategory(IPin& pin, const GUID& category) {
    com::ComPtr<IKsPropertySet> properties;
    if (FAILED(com::ComPtr<IPin>(&pin).As(properties)))
        return false;
    GUID found = GUID_NULL;
    DWORD returned = 0;
    return SUCCEEDED(properties->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, &found,
                                     sizeof found, &returned)) &&
           returned == sizeof found && found == category;
}

// A connected pin has a known type; an unconnected one is checked when it connects.
bool CarriesType(IPin& pin, const GUID& majorType) {
    AM_MEDIA_TYPE type{};
    if (FAILED(pin.ConnectionMediaType(&type)))
        return true;
    const bool same = type.majortype == majorType;
    FreeMediaType(type);
    return same;
}

bool Matches(IPin& pin, const PinQuery& query) {
    PIN_DIRECTION direction = PINDIR_INPUT;
    if (FAILED(pin.QueryDirection(&direction)) || direction != query.direction)
        return false;
    if (query.unconnectedOnly) {
        com::ComPtr<IPin> peer;
        if (SUCCEEDED(pin.ConnectedTo(peer.ReleaseAndGetAddressOf())))
            return false;
    }
    if (query.category && !HasCategory(pin, *query.category))
        return false;
    return !query.type || CarriesType(pin, *query.type);
}

HRESULT FindPin(IBaseFilter& filter, const PinQuery& query, com::ComPtr<IPin>& found) {
    com::ComPtr<IEnumPins> pins;
    if (const HRESULT hr = filter.EnumPins(pins.ReleaseAndGetAddressOf()); FAILED(hr))
        return hr;
    com::ComPtr<IPin> pin;
    while (pins->Next(1, pin.ReleaseAndGetAddressOf(), nullptr) == S_OK)
        if (Matches(*pin, query)) {
            found = pin;
            return S_OK;
        }
    return E_FAIL;
}

} // namespace

HRESULT CaptureGraphBuilder::SetFiltergraph(IGraphBuilder* graph) {
    if (!graph)
        return E_POINTER;
    if (graph_ && graph_.Get() != graph)
        return E_UNEXPECTED;
    graph_ = com::ComPtr<IGraphBuilder>(graph);
    return S_OK;
}

HRESULT CaptureGraphBuilder::GetFiltergraph(IGraphBuilder** graph) {
    if (!graph)
        return E_POINTER;
    *graph = graph_.Get();
    if (!graph_)
        return E_UNEXPECTED;
    graph_->AddRef();
    return S_OK;
}

HRESULT CaptureGraphBuilder::FindInterface(const GUID* category, const GUID* type, IBaseFilter* filter,
                                           REFIID riid, void** object) {
    if (!filter || !object)
        return E_POINTER;
    *object = nullptr;
    if (!category) {
        if (SUCCEEDED(filter->QueryInterface(riid, object)))
            return S_OK;
        com::ComPtr<IPin> pin;
        for (const PIN_DIRECTION direction : {PINDIR_OUTPUT, PINDIR_INPUT}) {
            PinQuery query{direction, nullptr, type, false};
            if (SUCCEEDED(FindPin(*filter, query, pin)) && SUCCEEDED(pin->QueryInterface(riid, object)))
                return S_OK;
        }
        return E_NOINTERFACE;
    }
    com::ComPtr<IPin> pin;
    if (FAILED(FindPin(*filter, {PINDIR_OUTPUT, category, type, false}, pin)))
        return E_NOINTERFACE;
    return pin->QueryInterface(riid, object);
}

HRESULT CaptureGraphBuilder::SourcePin(const GUID* category, const GUID* type, IUnknown& source,
                                       com::ComPtr<IPin>& pin) {
    if (SUCCEEDED(source.QueryInterface(IID_IPin, pin.ReleaseAndGetVoidAddress())))
        return Matches(*pin, {PINDIR_OUTPUT, nullptr, type, true}) ? S_OK : E_INVALIDARG;
    com::ComPtr<IBaseFilter> filter;
    if (const HRESULT hr = source.QueryInterface(IID_IBaseFilter, filter.ReleaseAndGetVoidAddress());
        FAILED(hr))
        return hr;
    return FindPin(*filter, {PINDIR_OUTPUT, category, type, true}, pin);
}

HRESULT CaptureGraphBuilder::ConnectTo(IPin& output, IBaseFilter& downstream, const AM_MEDIA_TYPE* type,
                                       com::ComPtr<IPin>& nextOutput) {
    com::ComPtr<IPin> input;
    if (const HRESULT hr = FindPin(downstream, {PINDIR_INPUT, nullptr, nullptr, true}, input); FAILED(hr))
        return hr;
    if (const HRESULT hr = graph_->ConnectDirect(&output, input.Get(), type); FAILED(hr))
        return hr;
    nextOutput = nullptr;
    FindPin(downstream, {PINDIR_OUTPUT, nullptr, nullptr, true}, nextOutput);
    return S_OK;
}

HRESULT CaptureGraphBuilder::ConnectToNewRenderer(IPin& output, const AM_MEDIA_TYPE* type) {
    com::ComPtr<IBaseFilter> renderer;
    if (const HRESULT hr = CoCreateInstance(CLSID_VideoRenderer, nullptr, CLSCTX_INPROC_SERVER,
                                            IID_IBaseFilter, renderer.ReleaseAndGetVoidAddress());
        FAILED(hr))
        return hr;
    if (const HRESULT hr = graph_->AddFilter(renderer.Get(), u"Video Renderer"); FAILED(hr))
        return hr;
    com::ComPtr<IPin> none;
    const HRESULT hr = ConnectTo(output, *renderer, type, none);
    if (FAILED(hr))
        graph_->RemoveFilter(renderer.Get());
    return hr;
}

HRESULT CaptureGraphBuilder::RenderStream(const GUID* category, const GUID* type, IUnknown* source,
                                          IBaseFilter* intermediate, IBaseFilter* sink) {
    if (!source)
        return E_POINTER;
    if (!graph_)
        return E_UNEXPECTED;
    com::ComPtr<IPin> output;
    if (const HRESULT hr = SourcePin(category, type, *source, output); FAILED(hr))
        return hr;
    // The source's pin takes the major type asked for; later links pass it on.
    AM_MEDIA_TYPE partial{};
    if (type)
        partial.majortype = *type;
    const AM_MEDIA_TYPE* wanted = type ? &partial : nullptr;
    if (intermediate) {
        com::ComPtr<IPin> next;
        if (const HRESULT hr = ConnectTo(*output, *intermediate, wanted, next); FAILED(hr))
            return hr;
        if (!next)
            return E_FAIL;
        output = next;
        wanted = nullptr;
    }
    if (!sink)
        return ConnectToNewRenderer(*output, wanted);
    com::ComPtr<IPin> none;
    return ConnectTo(*output, *sink, wanted, none);
}

} // namespace kamsel::dshow

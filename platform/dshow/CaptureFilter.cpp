#include "CaptureFilter.h"

#include "DeviceStatusCodes.h"
#include "GraphInterfaces.h"
#include "PinEnumerator.h"

#include <algorithm>
#include <new>

namespace kamsel::dshow {

HRESULT CaptureFilter::Create(std::unique_ptr<media::VideoDevice> device, FaultHook faults, REFIID riid,
                              void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (!device)
        return E_POINTER;
    if (const HRESULT hr = ReportDeviceStatus(device->Open()); FAILED(hr))
        return hr;
    com::ComPtr<CaptureFilter> filter(new (std::nothrow) CaptureFilter(std::move(device), std::move(faults)));
    if (!filter)
        return E_OUTOFMEMORY;
    return filter->QueryInterface(riid, object);
}

CaptureFilter::CaptureFilter(std::unique_ptr<media::VideoDevice> device, FaultHook faults)
    : device_(std::move(device)), faults_(std::move(faults)), modes_(device_->Modes()),
      controls_(*device_, faults_), pin_(*this) {}

CaptureFilter::~CaptureFilter() {
    EndStreaming();
}

HRESULT CaptureFilter::QueryInterface(REFIID riid, void** object) {
    if (object && (riid == IID_IAMVideoProcAmp || riid == IID_IKsPropertySet)) {
        *object = nullptr;
        const FaultPoint point =
            riid == IID_IAMVideoProcAmp ? FaultPoint::QueryVideoProcAmp : FaultPoint::QueryKsPropertySet;
        if (const HRESULT fault = faults_.At(point); fault != S_OK)
            return fault;
        // A device without any image control has no image-control interfaces.
        if (!controls_.AnySupported())
            return E_NOINTERFACE;
    }
    if (object && riid == IID_ISpecifyPropertyPages)
        if (const HRESULT fault = faults_.At(FaultPoint::QueryPropertyPages); fault != S_OK) {
            *object = nullptr;
            return fault;
        }
    return ComObject::QueryInterface(riid, object);
}

HRESULT CaptureFilter::GetClassID(CLSID* classId) {
    if (!classId)
        return E_POINTER;
    *classId = CLSID_DeviceCaptureFilter;
    return S_OK;
}

void CaptureFilter::EndStreaming() {
    if (!streaming_)
        return;
    device_->StopStreaming();
    streaming_ = false;
}

HRESULT CaptureFilter::Stop() {
    if (const HRESULT fault = faults_.At(FaultPoint::FilterStop); fault != S_OK)
        return fault;
    EndStreaming();
    state_ = State_Stopped;
    return S_OK;
}

HRESULT CaptureFilter::Pause() {
    if (const HRESULT fault = faults_.At(FaultPoint::FilterPause); fault != S_OK)
        return fault;
    EndStreaming();
    state_ = State_Paused;
    return S_OK;
}

HRESULT CaptureFilter::Run(REFERENCE_TIME) {
    if (const HRESULT fault = faults_.At(FaultPoint::FilterRun); fault != S_OK)
        return fault;
    if (state_ == State_Running)
        return S_OK;
    if (pin_.IsConnected()) {
        if (const HRESULT hr = ReportDeviceStatus(device_->StartStreaming(pin_)); FAILED(hr))
            return hr;
        streaming_ = true;
    }
    state_ = State_Running;
    return S_OK;
}

HRESULT CaptureFilter::GetState(DWORD, FILTER_STATE* state) {
    if (!state)
        return E_POINTER;
    *state = state_;
    return S_OK;
}

HRESULT CaptureFilter::EnumPins(IEnumPins** pins) {
    return PinEnumerator::Create({com::ComPtr<IPin>(&pin_)}, pins);
}

HRESULT CaptureFilter::QueryFilterInfo(FILTER_INFO* info) {
    if (const HRESULT fault = faults_.At(FaultPoint::QueryFilterInfo); fault != S_OK)
        return fault;
    if (!info)
        return E_POINTER;
    const std::size_t length = std::min<std::size_t>(name_.size(), MAX_FILTER_NAME - 1);
    std::copy_n(name_.begin(), length, info->achName);
    info->achName[length] = 0;
    info->pGraph = graph_;
    if (graph_)
        graph_->AddRef();
    return S_OK;
}

HRESULT CaptureFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) {
    if (graph)
        if (const HRESULT fault = faults_.At(FaultPoint::JoinFilterGraph); fault != S_OK)
            return fault;
    graph_ = graph;
    name_ = graph && name ? std::u16string(name) : std::u16string();
    // Looked up here, on the graph's thread, and not counted (the graph holds
    // the filter): the streaming thread then reports to it without touching
    // the graph's reference count, which could race with its last release.
    eventSink_ = nullptr;
    if (graph && SUCCEEDED(graph->QueryInterface(IID_IMediaEventSink, reinterpret_cast<void**>(&eventSink_))))
        eventSink_->Release();
    return S_OK;
}

HRESULT CaptureFilter::GetRange(LONG property, LONG* min, LONG* max, LONG* step, LONG* defaultValue,
                                LONG* capsFlags) {
    return controls_.GetRange(property, min, max, step, defaultValue, capsFlags);
}

HRESULT CaptureFilter::Set(LONG property, LONG value, LONG flags) {
    return controls_.Set(property, value, flags);
}

HRESULT CaptureFilter::Get(LONG property, LONG* value, LONG* flags) {
    return controls_.Get(property, value, flags);
}

HRESULT CaptureFilter::Set(REFGUID set, DWORD id, void*, DWORD, void* data, DWORD dataLength) {
    if (set != PROPSETID_VIDCAP_VIDEOPROCAMP)
        return E_PROP_SET_UNSUPPORTED;
    if (!data)
        return E_POINTER;
    if (dataLength < sizeof(KSPROPERTY_VIDEOPROCAMP_S))
        return E_INVALIDARG;
    const auto* property = static_cast<const KSPROPERTY_VIDEOPROCAMP_S*>(data);
    return controls_.Set(static_cast<LONG>(id), property->Value, static_cast<LONG>(property->Flags));
}

HRESULT CaptureFilter::Get(REFGUID set, DWORD id, void*, DWORD, void* data, DWORD dataLength,
                           DWORD* returned) {
    if (set != PROPSETID_VIDCAP_VIDEOPROCAMP)
        return E_PROP_SET_UNSUPPORTED;
    if (!data || !returned)
        return E_POINTER;
    if (dataLength < sizeof(KSPROPERTY_VIDEOPROCAMP_S))
        return E_INVALIDARG;
    LONG min = 0, max = 0, step = 0, defaultValue = 0, caps = 0, value = 0, flags = 0;
    const auto property = static_cast<LONG>(id);
    if (const HRESULT hr = controls_.GetRange(property, &min, &max, &step, &defaultValue, &caps); FAILED(hr))
        return hr;
    if (const HRESULT hr = controls_.Get(property, &value, &flags); FAILED(hr))
        return hr;
    auto* result = static_cast<KSPROPERTY_VIDEOPROCAMP_S*>(data);
    result->Property = {PROPSETID_VIDCAP_VIDEOPROCAMP, id, 0};
    result->Value = value;
    result->Flags = static_cast<ULONG>(flags);
    result->Capabilities = static_cast<ULONG>(caps);
    *returned = sizeof(KSPROPERTY_VIDEOPROCAMP_S);
    return S_OK;
}

HRESULT CaptureFilter::QuerySupported(REFGUID set, DWORD id, DWORD* support) {
    if (set != PROPSETID_VIDCAP_VIDEOPROCAMP)
        return E_PROP_SET_UNSUPPORTED;
    if (!support)
        return E_POINTER;
    LONG min = 0, max = 0, step = 0, defaultValue = 0, caps = 0;
    if (FAILED(controls_.GetRange(static_cast<LONG>(id), &min, &max, &step, &defaultValue, &caps)))
        return E_PROP_ID_UNSUPPORTED;
    *support = KSPROPERTY_SUPPORT_GET | KSPROPERTY_SUPPORT_SET;
    return S_OK;
}

HRESULT CaptureFilter::GetPages(CAUUID* pages) {
    if (const HRESULT fault = faults_.At(FaultPoint::FilterGetPages); fault != S_OK)
        return fault;
    if (!pages)
        return E_POINTER;
    *pages = {0, nullptr};
    if (device_->Controls().empty())
        return S_OK;
    pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID)));
    if (!pages->pElems)
        return E_OUTOFMEMORY;
    pages->pElems[0] = CLSID_DeviceControlsPropertyPage;
    pages->cElems = 1;
    return S_OK;
}

HRESULT CaptureFilter::GetControls(std::vector<media::DeviceControl>* controls) {
    if (!controls)
        return E_POINTER;
    *controls = device_->Controls();
    return S_OK;
}

HRESULT CaptureFilter::GetControlValue(ULONG id, LONG* value) {
    if (!value)
        return E_POINTER;
    std::int32_t current = 0;
    if (const HRESULT hr = HresultFromDevice(device_->GetControl(id, current)); FAILED(hr))
        return hr;
    *value = current;
    return S_OK;
}

HRESULT CaptureFilter::SetControlValue(ULONG id, LONG value) {
    return ReportDeviceStatus(device_->SetControl(id, value));
}

} // namespace kamsel::dshow

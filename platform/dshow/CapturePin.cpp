#include "CapturePin.h"

#include "CaptureFilter.h"
#include "DeviceStatusCodes.h"
#include "GraphInterfaces.h"
#include "ModeMediaTypes.h"
#include "SampleView.h"
#include "Variant.h"

#include <QString>

#include <cstring>
#include <limits>
#include <string>

namespace kamsel::dshow {

CapturePin::CapturePin(CaptureFilter& filter) : PinBase(filter, PINDIR_OUTPUT, u"Capture"), filter_(filter) {}

HRESULT CapturePin::QueryInterface(REFIID riid, void** object) {
    if (object && riid == IID_IAMStreamConfig)
        if (const HRESULT fault = filter_.Faults().At(FaultPoint::QueryStreamConfig); fault != S_OK) {
            *object = nullptr;
            return fault;
        }
    if (object && riid == IID_ISpecifyPropertyPages)
        if (const HRESULT fault = filter_.Faults().At(FaultPoint::QueryPropertyPages); fault != S_OK) {
            *object = nullptr;
            return fault;
        }
    return PinBase::QueryInterface(riid, object);
}

HRESULT CapturePin::Connect(IPin* receiver, const AM_MEDIA_TYPE* type) {
    if (const HRESULT fault = filter_.Faults().At(FaultPoint::PinConnect); fault != S_OK)
        return fault;
    return PinBase::Connect(receiver, type);
}

HRESULT CapturePin::SetFormat(AM_MEDIA_TYPE* type) {
    if (const HRESULT fault = filter_.Faults().At(FaultPoint::SetFormat); fault != S_OK)
        return fault;
    if (!type)
        return E_POINTER;
    if (filter_.State() != State_Stopped)
        return VFW_E_NOT_STOPPED;
    const std::optional<media::VideoMode> mode = ModeForType(filter_.Modes(), *type);
    if (!mode)
        return VFW_E_INVALIDMEDIATYPE;
    const MediaType wanted = MediaTypeFromMode(*mode, filter_.Faults().FormatType());
    if (IsConnected() && Peer()->QueryAccept(&wanted.Get()) != S_OK)
        return VFW_E_TYPE_NOT_ACCEPTED;
    if (const HRESULT hr = ReportDeviceStatus(filter_.Device().SetMode(*mode)); FAILED(hr))
        return hr;
    if (!IsConnected())
        return S_OK;
    // The connection still carries the old format: make it again with the new one.
    IFilterGraph* graph = filter_.Graph();
    return graph ? graph->Reconnect(this) : E_UNEXPECTED;
}

HRESULT CapturePin::GetFormat(AM_MEDIA_TYPE** type) {
    if (const HRESULT fault = filter_.Faults().At(FaultPoint::GetFormat); fault != S_OK)
        return fault;
    if (!type)
        return E_POINTER;
    *type = CurrentType().CreateCopy();
    return *type ? S_OK : E_OUTOFMEMORY;
}

HRESULT CapturePin::GetNumberOfCapabilities(int* count, int* size) {
    if (const HRESULT fault = filter_.Faults().At(FaultPoint::GetNumberOfCapabilities); fault != S_OK)
        return fault;
    if (!count || !size)
        return E_POINTER;
    *count = static_cast<int>(filter_.Modes().size());
    *size = sizeof(VIDEO_STREAM_CONFIG_CAPS);
    return S_OK;
}

HRESULT CapturePin::GetStreamCaps(int index, AM_MEDIA_TYPE** type, BYTE* caps) {
    if (const HRESULT fault = filter_.Faults().At(FaultPoint::GetStreamCaps, index); fault != S_OK)
        return fault;
    if (!type || !caps)
        return E_POINTER;
    *type = nullptr;
    if (index < 0)
        return E_INVALIDARG;
    if (static_cast<std::size_t>(index) >= filter_.Modes().size())
        return S_FALSE;
    const media::VideoMode& mode = filter_.Modes()[static_cast<std::size_t>(index)];
    const GUID formatType = filter_.Faults().FormatType();
    *type = MediaTypeFromMode(mode, formatType).CreateCopy();
    if (!*type)
        return E_OUTOFMEMORY;
    const VIDEO_STREAM_CONFIG_CAPS record = CapsFromMode(mode, formatType);
    std::memcpy(caps, &record, sizeof record);
    return S_OK;
}

HRESULT CapturePin::Set(REFGUID set, DWORD, void*, DWORD, void*, DWORD) {
    return set == AMPROPSETID_Pin ? E_PROP_ID_UNSUPPORTED : E_PROP_SET_UNSUPPORTED;
}

HRESULT CapturePin::Get(REFGUID set, DWORD id, void*, DWORD, void* data, DWORD dataLength, DWORD* returned) {
    if (set != AMPROPSETID_Pin)
        return E_PROP_SET_UNSUPPORTED;
    if (id != AMPROPERTY_PIN_CATEGORY)
        return E_PROP_ID_UNSUPPORTED;
    if (!data || !returned)
        return E_POINTER;
    if (dataLength < sizeof(GUID))
        return E_INVALIDARG;
    std::memcpy(data, &PIN_CATEGORY_CAPTURE, sizeof(GUID));
    *returned = sizeof(GUID);
    return S_OK;
}

HRESULT CapturePin::QuerySupported(REFGUID set, DWORD id, DWORD* support) {
    if (set != AMPROPSETID_Pin)
        return E_PROP_SET_UNSUPPORTED;
    if (id != AMPROPERTY_PIN_CATEGORY)
        return E_PROP_ID_UNSUPPORTED;
    if (!support)
        return E_POINTER;
    *support = KSPROPERTY_SUPPORT_GET;
    return S_OK;
}

HRESULT CapturePin::GetPages(CAUUID* pages) {
    if (const HRESULT fault = filter_.Faults().At(FaultPoint::StreamGetPages); fault != S_OK)
        return fault;
    if (!pages)
        return E_POINTER;
    *pages = {0, nullptr};
    if (filter_.Modes().empty())
        return S_OK;
    pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID)));
    if (!pages->pElems)
        return E_OUTOFMEMORY;
    pages->pElems[0] = CLSID_VideoStreamConfigPropertyPage;
    pages->cElems = 1;
    return S_OK;
}

void CapturePin::OnFrame(const std::uint8_t* data, std::size_t capacity, std::size_t bytesUsed) {
    // A frame that claims more data than its buffer holds, or a buffer the
    // framework cannot describe, is skipped rather than passed on.
    if (!memInput_ || !data || bytesUsed > capacity ||
        capacity > static_cast<std::size_t>(std::numeric_limits<LONG>::max()))
        return;
    // Receivers read the buffer; the framework's sample type offers it writable.
    SampleView sample(const_cast<BYTE*>(data), static_cast<LONG>(capacity), static_cast<LONG>(bytesUsed));
    memInput_->Receive(&sample);
}

void CapturePin::OnStreamEnded(const media::DeviceStatus& why) {
    // Nothing is delivered after this; the filter's next Pause or Stop ends the
    // stream's thread and the next Run asks the device again. The log keeps
    // the reason for later; the graph's event tells the application now, with
    // the same words, so that it can stop the camera and say why.
    const HRESULT status = ReportDeviceStatus(why);
    IMediaEventSink* events = filter_.EventSink();
    if (!events)
        return;
    if (why.Ok()) {
        events->Notify(EC_COMPLETE, S_OK, 0);
        return;
    }
    const std::u16string text = QString::fromStdString(why.message).toStdU16String();
    // A null text (no memory) still ends the stream; the status says the rest.
    BSTR reason = text.empty() ? nullptr : SysAllocStringLen(text.data(), UINT(text.size()));
    events->Notify(EC_ERRORABORTEX, status, reinterpret_cast<LONG_PTR>(reason));
}

HRESULT CapturePin::CheckMediaType(const AM_MEDIA_TYPE& type) {
    return ModeForType(filter_.Modes(), type) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

std::vector<MediaType> CapturePin::PreferredTypes() {
    // Only the format in force: a format is chosen with SetFormat, not by the
    // connection.
    std::vector<MediaType> types;
    types.push_back(CurrentType());
    return types;
}

HRESULT CapturePin::OnConnected() {
    return Peer().As(memInput_);
}

void CapturePin::OnDisconnected() {
    memInput_ = nullptr;
}

bool CapturePin::FilterStopped() const {
    return filter_.State() == State_Stopped;
}

MediaType CapturePin::CurrentType() const {
    return MediaTypeFromMode(filter_.Device().CurrentMode(), filter_.Faults().FormatType());
}

} // namespace kamsel::dshow

#include "ImageControls.h"

#include "ComApi.h"
#include "DeviceStatusCodes.h"

namespace kamsel::dshow {

namespace {
bool Known(LONG property) {
    return property >= 0 && property < media::kImageControlCount;
}
media::ImageControl Control(LONG property) {
    return static_cast<media::ImageControl>(property);
}
} // namespace

HRESULT ImageControls::GetRange(LONG property, LONG* min, LONG* max, LONG* step, LONG* defaultValue,
                                LONG* capsFlags) {
    if (!min || !max || !step || !defaultValue || !capsFlags)
        return E_POINTER;
    if (!Known(property))
        return E_PROP_ID_UNSUPPORTED;
    if (const HRESULT fault = faults_.At(FaultPoint::ProcAmpGetRange, property); fault != S_OK)
        return fault;
    media::ImageControlRange range;
    if (const HRESULT hr = HresultFromDevice(device_.GetImageControlRange(Control(property), range));
        FAILED(hr))
        return hr;
    *min = range.min;
    *max = range.max;
    *step = range.step;
    *defaultValue = range.defaultValue;
    *capsFlags = range.capsFlags;
    return S_OK;
}

HRESULT ImageControls::Get(LONG property, LONG* value, LONG* flags) {
    if (!value || !flags)
        return E_POINTER;
    if (!Known(property))
        return E_PROP_ID_UNSUPPORTED;
    if (const HRESULT fault = faults_.At(FaultPoint::ProcAmpGet, property); fault != S_OK)
        return fault;
    std::int32_t current = 0;
    std::int32_t currentFlags = 0;
    if (const HRESULT hr =
            HresultFromDevice(device_.GetImageControl(Control(property), current, currentFlags));
        FAILED(hr))
        return hr;
    *value = current;
    *flags = currentFlags;
    return S_OK;
}

HRESULT ImageControls::Set(LONG property, LONG value, LONG flags) {
    if (!Known(property))
        return E_PROP_ID_UNSUPPORTED;
    if (const HRESULT fault = faults_.At(FaultPoint::ProcAmpSet, property); fault != S_OK)
        return fault;
    return ReportDeviceStatus(device_.SetImageControl(Control(property), value, flags));
}

bool ImageControls::AnySupported() {
    for (int property = 0; property < media::kImageControlCount; ++property) {
        media::ImageControlRange range;
        if (device_.GetImageControlRange(Control(property), range).Ok())
            return true;
    }
    return false;
}

} // namespace kamsel::dshow

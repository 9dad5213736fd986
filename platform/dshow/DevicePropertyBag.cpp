#include "DevicePropertyBag.h"

#include "ComApi.h"

#include <QString>

namespace kamsel::dshow {

std::u16string WideFromDeviceName(const std::string& bytes) {
    // Qt's decoder replaces every malformed sequence (bad lead or continuation
    // bytes, overlong forms, surrogates, values past U+10FFFF) with U+FFFD.
    const QString text = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return text.toStdU16String();
}

DevicePropertyBag::DevicePropertyBag(const std::string& friendlyName, FaultHook faults)
    : friendlyName_(WideFromDeviceName(friendlyName)), faults_(std::move(faults)) {}

HRESULT DevicePropertyBag::Read(LPCOLESTR propertyName, VARIANT* value, IErrorLog*) {
    if (!propertyName || !value)
        return E_POINTER;
    if (const HRESULT fault = faults_.At(FaultPoint::ReadProperty); fault != S_OK)
        return fault;
    if (std::u16string_view(propertyName) != u"FriendlyName")
        return E_INVALIDARG;
    if (value->vt != VT_EMPTY && value->vt != VT_BSTR)
        return E_INVALIDARG;
    BSTR text = SysAllocStringLen(friendlyName_.data(), static_cast<UINT>(friendlyName_.size()));
    if (!text)
        return E_OUTOFMEMORY;
    VariantClear(value);
    value->vt = VT_BSTR;
    value->bstrVal = text;
    return S_OK;
}

} // namespace kamsel::dshow

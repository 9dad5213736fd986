#include "DeviceEnumeration.h"

#include "platform/dshow/ComApi.h"
#include "platform/dshow/DeviceEnumInterfaces.h"
#include "platform/dshow/Uuids.h"

#include <exception>
#include <limits>

namespace kamsel::capture {

using namespace kamsel::dshow;

namespace {

// Leading and trailing characters with codes 0 to 32 removed.
QString TrimControls(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 32)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 32)
        --end;
    return text.mid(begin, end - begin);
}

// Only a to z become A to Z; every other character stays as it is.
QString AsciiUpper(QString text) {
    for (QChar& c : text)
        if (c.unicode() >= u'a' && c.unicode() <= u'z')
            c = QChar(static_cast<char16_t>(c.unicode() - (u'a' - u'A')));
    return text;
}

// The position a text of "#" and decimal digits names (1 is the first), or 0
// when the text names none. Beyond the panes' ten cameras the list goes on,
// so the number has as many digits as it needs; a number too large for any
// list names nothing rather than wrapping onto a device.
int DecimalPosition(const QString& deviceText) {
    if (deviceText.size() < 2 || deviceText[0] != u'#')
        return 0;
    int position = 0;
    for (qsizetype i = 1; i < deviceText.size(); ++i) {
        const char16_t c = deviceText[i].unicode();
        if (c < u'0' || c > u'9')
            return 0;
        if (position > (std::numeric_limits<int>::max() - 9) / 10)
            return 0;
        position = position * 10 + (c - u'0');
    }
    return position;
}

bool MatchesDevice(const QString& deviceText, const QString& friendlyName, int position) {
    if (AsciiUpper(friendlyName) == AsciiUpper(deviceText))
        return true;
    if (const int decimal = DecimalPosition(deviceText); decimal > 0)
        return decimal == position;
    // The older code of one character after "#", counted from '0' (":" is the
    // tenth device), still selects its position.
    return deviceText.size() == 2 && deviceText[0] == u'#' && deviceText[1].unicode() - 48 == position;
}

QString TextOf(const VARIANT& value) {
    if (value.vt != VT_BSTR || !value.bstrVal)
        return {};
    return QString::fromUtf16(value.bstrVal, static_cast<qsizetype>(SysStringLen(value.bstrVal)));
}

// The category's enumerator into enumerator; its status (S_FALSE and no
// enumerator when the category has no device).
HRESULT EnumerateVideoInputs(DWORD context, com::ComPtr<IEnumMoniker>& enumerator) {
    com::ComPtr<ICreateDevEnum> devices;
    if (const HRESULT hr = CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, context, IID_ICreateDevEnum,
                                            devices.ReleaseAndGetVoidAddress());
        FAILED(hr))
        return hr;
    return devices->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, enumerator.ReleaseAndGetAddressOf(),
                                          0);
}

// The next device's moniker and friendly name; S_OK or the status that ends a walk.
HRESULT NextDevice(IEnumMoniker& enumerator, com::ComPtr<IMoniker>& moniker, QString& friendlyName) {
    HRESULT hr = enumerator.Next(1, moniker.ReleaseAndGetAddressOf(), nullptr);
    if (hr != S_OK)
        return hr;
    if (!moniker)
        return E_POINTER;
    com::ComPtr<IPropertyBag> properties;
    hr = moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, properties.ReleaseAndGetVoidAddress());
    if (hr != S_OK)
        return hr;
    VARIANT name;
    hr = properties->Read(u"FriendlyName", &name, nullptr);
    if (hr != S_OK)
        return hr;
    friendlyName = TextOf(name);
    return S_OK;
}

// One step of the lookup: S_OK to go on, S_OK with bound set after binding the
// matching device, or the status that ends the search.
HRESULT MatchStep(IEnumMoniker& enumerator, const QString& deviceText, int& position, QString& foundName,
                  com::ComPtr<IBaseFilter>& filter, bool& bound) {
    com::ComPtr<IMoniker> moniker;
    QString friendlyName;
    if (const HRESULT hr = NextDevice(enumerator, moniker, friendlyName); hr != S_OK)
        return hr;
    ++position;
    friendlyName = TrimControls(friendlyName);
    if (!MatchesDevice(deviceText, friendlyName, position))
        return S_OK;
    foundName = friendlyName;
    const HRESULT hr =
        moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, filter.ReleaseAndGetVoidAddress());
    bound = hr == S_OK;
    return hr;
}

} // namespace

HRESULT ListCaptureDevices(QStringList& list) {
    list.clear();
    com::ComPtr<IEnumMoniker> enumerator;
    const HRESULT status = EnumerateVideoInputs(CLSCTX_INPROC_SERVER, enumerator);
    if (FAILED(status) || !enumerator)
        return status;
    com::ComPtr<IMoniker> moniker;
    QString friendlyName;
    while (NextDevice(*enumerator, moniker, friendlyName) == S_OK)
        list.append(friendlyName);
    return status;
}

HRESULT FindCaptureDevice(const QString& deviceText, QString& foundName, com::ComPtr<IBaseFilter>* filter) {
    foundName.clear();
    QString text = TrimControls(deviceText);
    if (text.isEmpty())
        text = QStringLiteral("#1");
    if (!filter)
        return E_POINTER;
    *filter = nullptr;
    com::ComPtr<IEnumMoniker> enumerator;
    if (const HRESULT hr = EnumerateVideoInputs(CLSCTX_INPROC, enumerator); FAILED(hr))
        return hr;
    if (!enumerator)
        return E_FAIL;
    int position = 0;
    bool bound = false;
    HRESULT status = S_OK;
    while (status == S_OK && !bound) {
        try {
            status = MatchStep(*enumerator, text, position, foundName, *filter, bound);
        } catch (const std::exception&) {
            status = E_FAIL;
        }
    }
    return status;
}

} // namespace kamsel::capture

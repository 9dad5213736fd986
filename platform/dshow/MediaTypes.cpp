#include "MediaTypes.h"

#include "ComApi.h"

#include <cstring>
#include <limits>

namespace kamsel::dshow {

void FreeMediaType(AM_MEDIA_TYPE& type) {
    CoTaskMemFree(type.pbFormat);
    type.pbFormat = nullptr;
    type.cbFormat = 0;
    if (type.pUnk) {
        type.pUnk->Release();
        type.pUnk = nullptr;
    }
}

void DeleteMediaType(AM_MEDIA_TYPE* type) {
    if (!type)
        return;
    FreeMediaType(*type);
    CoTaskMemFree(type);
}

HRESULT CopyMediaType(AM_MEDIA_TYPE* target, const AM_MEDIA_TYPE* source) {
    if (!target || !source)
        return E_POINTER;
    *target = *source;
    if (target->pUnk)
        target->pUnk->AddRef();
    if (source->cbFormat == 0 || !source->pbFormat) {
        target->cbFormat = 0;
        target->pbFormat = nullptr;
        return S_OK;
    }
    target->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(source->cbFormat));
    if (!target->pbFormat) {
        target->cbFormat = 0;
        return E_OUTOFMEMORY;
    }
    std::memcpy(target->pbFormat, source->pbFormat, source->cbFormat);
    return S_OK;
}

AM_MEDIA_TYPE* CreateMediaType(const AM_MEDIA_TYPE* source) {
    auto* type = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (!type)
        return nullptr;
    if (FAILED(CopyMediaType(type, source))) {
        FreeMediaType(*type);
        CoTaskMemFree(type);
        return nullptr;
    }
    return type;
}

const VIDEOINFOHEADER* VideoInfo(const AM_MEDIA_TYPE& type) {
    if (type.formattype != FORMAT_VideoInfo || !type.pbFormat || type.cbFormat < sizeof(VIDEOINFOHEADER))
        return nullptr;
    return reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat);
}

const BITMAPINFOHEADER* BitmapHeader(const AM_MEDIA_TYPE& type) {
    if (const VIDEOINFOHEADER* info = VideoInfo(type))
        return &info->bmiHeader;
    if (type.formattype == FORMAT_VideoInfo2 && type.pbFormat && type.cbFormat >= sizeof(VIDEOINFOHEADER2))
        return &reinterpret_cast<const VIDEOINFOHEADER2*>(type.pbFormat)->bmiHeader;
    return nullptr;
}

REFERENCE_TIME FrameIntervalOf(const AM_MEDIA_TYPE& type) {
    if (!BitmapHeader(type))
        return 0;
    if (type.formattype == FORMAT_VideoInfo2)
        return reinterpret_cast<const VIDEOINFOHEADER2*>(type.pbFormat)->AvgTimePerFrame;
    return reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat)->AvgTimePerFrame;
}

LONG HeightMagnitude(LONG biHeight) {
    if (biHeight == std::numeric_limits<LONG>::min())
        return std::numeric_limits<LONG>::max();
    return biHeight < 0 ? -biHeight : biHeight;
}

bool MatchesPartialType(const AM_MEDIA_TYPE& offered, const AM_MEDIA_TYPE& pattern) {
    const auto fits = [](const GUID& have, const GUID& want) { return want == GUID_NULL || have == want; };
    return fits(offered.majortype, pattern.majortype) && fits(offered.subtype, pattern.subtype) &&
           fits(offered.formattype, pattern.formattype);
}

} // namespace kamsel::dshow

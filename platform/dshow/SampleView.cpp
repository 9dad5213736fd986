#include "SampleView.h"

#include "ComApi.h"

namespace kamsel::dshow {

HRESULT SampleView::QueryInterface(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (riid != IUnknown::Iid && riid != IMediaSample::Iid)
        return E_NOINTERFACE;
    *object = static_cast<IMediaSample*>(this);
    AddRef();
    return S_OK;
}

HRESULT SampleView::GetPointer(BYTE** buffer) {
    if (!buffer)
        return E_POINTER;
    *buffer = buffer_;
    return S_OK;
}

} // namespace kamsel::dshow

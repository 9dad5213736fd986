#include "DeviceMoniker.h"

#include "CaptureFilter.h"
#include "ComApi.h"
#include "DevicePropertyBag.h"

namespace kamsel::dshow {

DeviceMoniker::DeviceMoniker(DeviceEntry entry)
    : device_(std::move(entry.device)), faults_(std::move(entry.faults)),
      friendlyName_(device_->FriendlyName()) {}

HRESULT DeviceMoniker::BindToObject(IBindCtx*, IMoniker*, REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (const HRESULT fault = FaultHook(faults_).At(FaultPoint::BindToObject); fault != S_OK)
        return fault;
    if (!device_)
        return MK_E_UNAVAILABLE;
    return CaptureFilter::Create(std::move(device_), FaultHook(faults_), riid, object);
}

HRESULT DeviceMoniker::BindToStorage(IBindCtx*, IMoniker*, REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (const HRESULT fault = FaultHook(faults_).At(FaultPoint::BindToStorage); fault != S_OK)
        return fault;
    if (riid != IID_IPropertyBag && riid != IUnknown::Iid)
        return E_NOINTERFACE;
    return com::MakeComObject<DevicePropertyBag>(friendlyName_, FaultHook(faults_))
        ->QueryInterface(riid, object);
}

} // namespace kamsel::dshow

#include "SystemDeviceEnum.h"

#include "ComApi.h"
#include "DeviceCatalog.h"
#include "DeviceEnumerator.h"
#include "Uuids.h"

namespace kamsel::dshow {

HRESULT SystemDeviceEnum::CreateClassEnumerator(REFCLSID category, IEnumMoniker** enumerator, DWORD) {
    if (!enumerator)
        return E_POINTER;
    *enumerator = nullptr;
    if (category != CLSID_VideoInputDeviceCategory)
        return S_FALSE;
    std::vector<DeviceEntry> devices = DeviceCatalog::Instance().Devices();
    if (devices.empty())
        return S_FALSE;
    *enumerator = com::MakeComObject<DeviceEnumerator>(std::move(devices)).Detach();
    return S_OK;
}

} // namespace kamsel::dshow

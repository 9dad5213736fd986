#pragma once
// The system device enumerator (CLSID_SystemDeviceEnum). The video input
// category lists the devices of the device catalog, each time afresh; every
// other category is empty. User-interface thread.

#include "DeviceEnumInterfaces.h"
#include "LiveObject.h"

#include "platform/com/ComObject.h"

namespace kamsel::dshow {

class SystemDeviceEnum final : public com::ComObject<ICreateDevEnum>, private LiveObject {
  public:
    HRESULT CreateClassEnumerator(REFCLSID category, IEnumMoniker** enumerator, DWORD flags) override;
};

} // namespace kamsel::dshow

#pragma once
// The moniker of one device. BindToStorage gives the device's property bag
// ("FriendlyName"); BindToObject opens the device and gives its capture
// filter. A moniker binds its device to one filter: a second BindToObject
// gives MK_E_UNAVAILABLE (enumerate again for a new moniker).
// Bind contexts and monikers to the left are not used.

#include "DeviceCatalog.h"
#include "DeviceEnumInterfaces.h"
#include "LiveObject.h"

#include "platform/com/ComObject.h"

#include <string>

namespace kamsel::dshow {

class DeviceMoniker final : public com::ComObject<IMoniker>, private LiveObject {
  public:
    explicit DeviceMoniker(DeviceEntry entry);

    HRESULT BindToObject(IBindCtx* context, IMoniker* left, REFIID riid, void** object) override;
    HRESULT BindToStorage(IBindCtx* context, IMoniker* left, REFIID riid, void** object) override;

  private:
    std::unique_ptr<media::VideoDevice> device_;
    const std::shared_ptr<const DeviceFaults> faults_;
    const std::string friendlyName_; // read when found, so it outlives the binding
};

} // namespace kamsel::dshow

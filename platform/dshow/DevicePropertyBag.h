#pragma once
// The read-only property bag of a device: "FriendlyName", the device's name as
// wide text. The name comes from the device as bytes that need not be valid
// UTF-8; each byte sequence that is not valid UTF-8 becomes U+FFFD, so the
// text is always well formed and nothing from the device is read past its end.

#include "DeviceEnumInterfaces.h"
#include "DeviceFaults.h"
#include "LiveObject.h"

#include "platform/com/ComObject.h"

#include <string>

namespace kamsel::dshow {

class DevicePropertyBag final : public com::ComObject<IPropertyBag>, private LiveObject {
  public:
    DevicePropertyBag(const std::string& friendlyName, FaultHook faults);

    HRESULT Read(LPCOLESTR propertyName, VARIANT* value, IErrorLog* errorLog) override;

  private:
    const std::u16string friendlyName_;
    const FaultHook faults_;
};

// The UTF-16 text of a device name given as bytes (see above).
std::u16string WideFromDeviceName(const std::string& bytes);

} // namespace kamsel::dshow

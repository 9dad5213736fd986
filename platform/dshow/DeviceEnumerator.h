#pragma once
// IEnumMoniker over the devices found when the enumerator was made, in their
// order: each Next hands out the next device's moniker. A device's fault at
// EnumNext is returned in place of its moniker, and the walk stays there.

#include "DeviceCatalog.h"
#include "DeviceEnumInterfaces.h"
#include "LiveObject.h"

#include "platform/com/ComObject.h"

#include <vector>

namespace kamsel::dshow {

class DeviceEnumerator final : public com::ComObject<IEnumMoniker>, private LiveObject {
  public:
    explicit DeviceEnumerator(std::vector<DeviceEntry> devices) : devices_(std::move(devices)) {}

    HRESULT Next(ULONG count, IMoniker** items, ULONG* fetched) override;

  private:
    std::vector<DeviceEntry> devices_;
    std::size_t next_ = 0;
};

} // namespace kamsel::dshow

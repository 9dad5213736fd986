#include "DeviceEnumerator.h"

#include "ComApi.h"
#include "DeviceMoniker.h"

namespace kamsel::dshow {

HRESULT DeviceEnumerator::Next(ULONG count, IMoniker** items, ULONG* fetched) {
    if (!items || (count > 1 && !fetched))
        return E_POINTER;
    ULONG given = 0;
    HRESULT status = S_OK;
    while (given < count && next_ < devices_.size()) {
        DeviceEntry& entry = devices_[next_];
        status = FaultHook(entry.faults).At(FaultPoint::EnumNext, static_cast<int>(next_));
        if (status != S_OK)
            break;
        items[given++] = com::MakeComObject<DeviceMoniker>(std::move(entry)).Detach();
        ++next_;
    }
    if (fetched)
        *fetched = given;
    if (status != S_OK)
        return status;
    return given == count ? S_OK : S_FALSE;
}

} // namespace kamsel::dshow

#pragma once
// The ten image controls of a device (VideoProcAmp property numbers 0 to 9) in
// framework statuses, shared by the capture filter's IAMVideoProcAmp and its
// IKsPropertySet. User-interface thread.

#include "DeviceFaults.h"
#include "WinTypes.h"

#include "platform/media/VideoDevice.h"

namespace kamsel::dshow {

class ImageControls {
  public:
    ImageControls(media::VideoDevice& device, const FaultHook& faults) : device_(device), faults_(faults) {}

    HRESULT GetRange(LONG property, LONG* min, LONG* max, LONG* step, LONG* defaultValue, LONG* capsFlags);
    HRESULT Get(LONG property, LONG* value, LONG* flags);
    // Value and flags go to the device unchanged (no range check).
    HRESULT Set(LONG property, LONG value, LONG flags);
    // Whether the device offers at least one of the ten.
    bool AnySupported();

  private:
    media::VideoDevice& device_;
    const FaultHook& faults_;
};

} // namespace kamsel::dshow

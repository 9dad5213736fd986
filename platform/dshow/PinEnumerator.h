#pragma once
// IEnumPins over a filter's pins, taken when the enumerator is made.

#include "ComApi.h"
#include "FilterInterfaces.h"
#include "LiveObject.h"

#include "platform/com/ComObject.h"

#include <vector>

namespace kamsel::dshow {

class PinEnumerator : public com::ComObject<IEnumPins>, private LiveObject {
  public:
    explicit PinEnumerator(std::vector<com::ComPtr<IPin>> pins) : pins_(std::move(pins)) {}

    HRESULT Next(ULONG count, IPin** pins, ULONG* fetched) override;

    // The enumerator for pins, into *result.
    static HRESULT Create(std::vector<com::ComPtr<IPin>> pins, IEnumPins** result);

  private:
    std::vector<com::ComPtr<IPin>> pins_;
    std::size_t next_ = 0;
};

} // namespace kamsel::dshow

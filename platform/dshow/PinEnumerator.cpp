#include "PinEnumerator.h"

#include "ComApi.h"

namespace kamsel::dshow {

HRESULT PinEnumerator::Next(ULONG count, IPin** pins, ULONG* fetched) {
    if (!pins || (count > 1 && !fetched))
        return E_POINTER;
    ULONG given = 0;
    while (given < count && next_ < pins_.size()) {
        pins[given] = pins_[next_].Get();
        pins[given]->AddRef();
        ++given;
        ++next_;
    }
    if (fetched)
        *fetched = given;
    return given == count ? S_OK : S_FALSE;
}

HRESULT PinEnumerator::Create(std::vector<com::ComPtr<IPin>> pins, IEnumPins** result) {
    if (!result)
        return E_POINTER;
    *result = com::MakeComObject<PinEnumerator>(std::move(pins)).Detach();
    return S_OK;
}

} // namespace kamsel::dshow

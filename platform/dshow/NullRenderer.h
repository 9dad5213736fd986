#pragma once
// The null renderer (CLSID_NullRenderer): takes samples of any type and drops
// them, so a stream runs without a window.

#include "FilterBase.h"
#include "InputPin.h"
#include "Uuids.h"

namespace kamsel::dshow {

class NullRenderer final : public FilterBase<>, private InputPinOwner {
  public:
    NullRenderer() : FilterBase(CLSID_NullRenderer), input_(*this, *this, u"In") {}

  private:
    std::vector<com::ComPtr<IPin>> Pins() override { return {com::ComPtr<IPin>(&input_)}; }
    HRESULT CheckInputType(const AM_MEDIA_TYPE&) override { return S_OK; }
    HRESULT ReceiveSample(IMediaSample&) override { return S_OK; }
    bool Stopped() const override { return State() == State_Stopped; }

    InputPin input_;
};

} // namespace kamsel::dshow

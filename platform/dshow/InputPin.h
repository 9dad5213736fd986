#pragma once
// The input pin of the layer's own filters: it accepts what its owner accepts
// and hands each sample to the owner, on the upstream streaming thread.

#include "PinBase.h"

namespace kamsel::dshow {

class InputPinOwner {
  public:
    virtual HRESULT CheckInputType(const AM_MEDIA_TYPE& type) = 0;
    // Streaming thread; the sample is valid only during the call.
    virtual HRESULT ReceiveSample(IMediaSample& sample) = 0;
    // After the input was connected; a failure undoes the connection.
    virtual HRESULT InputConnected() { return S_OK; }
    virtual bool Stopped() const = 0;

  protected:
    ~InputPinOwner() = default;
};

class InputPin final : public PinBase<IMemInputPin> {
  public:
    InputPin(IBaseFilter& filter, InputPinOwner& owner, std::u16string name)
        : PinBase(filter, PINDIR_INPUT, std::move(name)), owner_(owner) {}

    HRESULT Receive(IMediaSample* sample) override {
        return sample ? owner_.ReceiveSample(*sample) : E_POINTER;
    }

  protected:
    HRESULT CheckMediaType(const AM_MEDIA_TYPE& type) override { return owner_.CheckInputType(type); }
    HRESULT OnConnected() override { return owner_.InputConnected(); }
    bool FilterStopped() const override { return owner_.Stopped(); }

  private:
    InputPinOwner& owner_;
};

} // namespace kamsel::dshow

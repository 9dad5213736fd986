#pragma once
// The sample grabber's output pin: passes each sample on, unchanged, to the
// downstream input pin, with the type of the grabber's input connection.

#include "PinBase.h"

namespace kamsel::dshow {

class SampleGrabber;

class GrabberOutputPin final : public PinBase<> {
  public:
    explicit GrabberOutputPin(SampleGrabber& grabber);

    // Streaming thread: hands the sample downstream (nothing when unconnected).
    HRESULT Deliver(IMediaSample& sample);

  protected:
    HRESULT CheckMediaType(const AM_MEDIA_TYPE& type) override;
    std::vector<MediaType> PreferredTypes() override;
    HRESULT OnConnected() override;
    void OnDisconnected() override;
    bool FilterStopped() const override;

  private:
    SampleGrabber& grabber_;
    // Written while stopped, read by the streaming thread while running.
    com::ComPtr<IMemInputPin> memInput_;
};

} // namespace kamsel::dshow

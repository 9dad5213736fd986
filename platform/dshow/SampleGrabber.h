#pragma once
// The sample grabber (CLSID_SampleGrabber): an in-place filter that calls its
// client's callback once per sample, on the streaming thread, and passes the
// sample on unchanged. It keeps no copies of samples.
//
// Threads: ISampleGrabber and the connections on the user-interface thread;
// samples on the upstream streaming thread. The callback and its mode are
// shared by both and guarded by mutex_: a sample reads them together and holds
// a reference to the callback for the duration of its call, so replacing or
// clearing the callback never frees it under a running call. After
// SetCallback(nullptr) returns, no new call starts (a call already started
// finishes on the streaming thread).

#include "FilterBase.h"
#include "GrabberInterfaces.h"
#include "GrabberOutputPin.h"
#include "InputPin.h"
#include "MediaType.h"
#include "platform/system/ThreadAnnotations.h"

#include <optional>

namespace kamsel::dshow {

class SampleGrabber final : public FilterBase<ISampleGrabber>, private InputPinOwner {
  public:
    SampleGrabber();

    // ISampleGrabber
    HRESULT SetMediaType(const AM_MEDIA_TYPE* type) override;
    HRESULT GetConnectedMediaType(AM_MEDIA_TYPE* type) override;
    HRESULT SetBufferSamples(BOOL buffer) override;
    HRESULT SetCallback(ISampleGrabberCB* callback, LONG whichMethod) override;

    // For the output pin.
    const InputPin& Input() const { return input_; }

  private:
    std::vector<com::ComPtr<IPin>> Pins() override;
    HRESULT CheckInputType(const AM_MEDIA_TYPE& type) override;
    HRESULT ReceiveSample(IMediaSample& sample) override;
    HRESULT InputConnected() override;
    bool Stopped() const override { return State() == State_Stopped; }

    InputPin input_;
    GrabberOutputPin output_;
    std::optional<MediaType> accepted_; // user-interface thread

    system::Mutex mutex_;
    com::ComPtr<ISampleGrabberCB> callback_ GUARDED_BY(mutex_);
    LONG method_ GUARDED_BY(mutex_) = 0;
};

} // namespace kamsel::dshow

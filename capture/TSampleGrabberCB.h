#pragma once
// TSampleGrabberCB: the reference-counted callback object registered with the
// sample grabber. It forwards SampleCB and BufferCB unchanged to its
// implementation object, which it owns: the implementation lives exactly as
// long as the last reference to the callback object, whether that is the
// capture object's or the grabber's. The count starts at 0.
//
// Threads: SampleCB and BufferCB run on the streaming thread; see
// TSampleGrabberCBImpl for what is safe from other threads.

#include "TSampleGrabberCBImpl.h"
#include "TSampleGrabberCBInt.h"

#include "platform/com/ComObject.h"

#include <memory>

namespace kamsel::capture {

class TSampleGrabberCB final : public com::ComObject<TSampleGrabberCBInt> {
  public:
    explicit TSampleGrabberCB(std::unique_ptr<TSampleGrabberCBImpl> impl);

    com::HRESULT SampleCB(double SampleTime, dshow::IMediaSample* Sample) override;
    com::HRESULT BufferCB(double SampleTime, dshow::BYTE* Buffer, com::LONG BufferLen) override;

    TSampleGrabberCBImpl& Implementation() const { return *GrabberCBImpl; }

  private:
    ~TSampleGrabberCB() override = default;

    const std::unique_ptr<TSampleGrabberCBImpl> GrabberCBImpl;
};

} // namespace kamsel::capture

#pragma once
// TSampleGrabberCBInt: the capture object's view of its callback object. It
// has no identity of its own: it is an ISampleGrabberCB (and answers to that
// identifier), so a reference to it serves wherever the grabber expects an
// ISampleGrabberCB. Its two methods repeat the grabber's, slot for slot.

#include "platform/dshow/GrabberInterfaces.h"

namespace kamsel::capture {

struct TSampleGrabberCBInt : dshow::ISampleGrabberCB {
    com::HRESULT SampleCB(double SampleTime, dshow::IMediaSample* Sample) override = 0;
    com::HRESULT BufferCB(double SampleTime, dshow::BYTE* Buffer, com::LONG BufferLen) override = 0;

  protected:
    ~TSampleGrabberCBInt() = default;
};

} // namespace kamsel::capture

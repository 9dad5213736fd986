#include "TSampleGrabberCB.h"

#include <cassert>

namespace kamsel::capture {

TSampleGrabberCB::TSampleGrabberCB(std::unique_ptr<TSampleGrabberCBImpl> impl)
    : GrabberCBImpl(std::move(impl)) {
    assert(GrabberCBImpl);
}

com::HRESULT TSampleGrabberCB::SampleCB(double SampleTime, dshow::IMediaSample* Sample) {
    return GrabberCBImpl->SampleCB(SampleTime, Sample);
}

com::HRESULT TSampleGrabberCB::BufferCB(double SampleTime, dshow::BYTE* Buffer, com::LONG BufferLen) {
    return GrabberCBImpl->BufferCB(SampleTime, Buffer, BufferLen);
}

} // namespace kamsel::capture

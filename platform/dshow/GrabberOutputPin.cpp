#include "GrabberOutputPin.h"

#include "SampleGrabber.h"

namespace kamsel::dshow {

GrabberOutputPin::GrabberOutputPin(SampleGrabber& grabber)
    : PinBase(grabber, PINDIR_OUTPUT, u"Out"), grabber_(grabber) {}

HRESULT GrabberOutputPin::Deliver(IMediaSample& sample) {
    return memInput_ ? memInput_->Receive(&sample) : S_OK;
}

HRESULT GrabberOutputPin::CheckMediaType(const AM_MEDIA_TYPE&) {
    return grabber_.Input().IsConnected() ? S_OK : VFW_E_NOT_CONNECTED;
}

std::vector<MediaType> GrabberOutputPin::PreferredTypes() {
    std::vector<MediaType> types;
    if (grabber_.Input().IsConnected())
        types.push_back(grabber_.Input().ConnectedType());
    return types;
}

HRESULT GrabberOutputPin::OnConnected() {
    return Peer().As(memInput_);
}

void GrabberOutputPin::OnDisconnected() {
    memInput_ = nullptr;
}

bool GrabberOutputPin::FilterStopped() const {
    return grabber_.State() == State_Stopped;
}

} // namespace kamsel::dshow

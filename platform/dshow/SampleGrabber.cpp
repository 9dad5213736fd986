#include "SampleGrabber.h"

namespace kamsel::dshow {

SampleGrabber::SampleGrabber()
    : FilterBase(CLSID_SampleGrabber), input_(*this, *this, u"Input"), output_(*this) {}

std::vector<com::ComPtr<IPin>> SampleGrabber::Pins() {
    return {com::ComPtr<IPin>(&input_), com::ComPtr<IPin>(&output_)};
}

HRESULT SampleGrabber::SetMediaType(const AM_MEDIA_TYPE* type) {
    if (!type)
        return E_POINTER;
    accepted_ = MediaType(*type);
    return S_OK;
}

HRESULT SampleGrabber::GetConnectedMediaType(AM_MEDIA_TYPE* type) {
    if (!type)
        return E_POINTER;
    if (!input_.IsConnected())
        return VFW_E_NOT_CONNECTED;
    return input_.ConnectedType().CopyTo(type);
}

HRESULT SampleGrabber::SetBufferSamples(BOOL buffer) {
    return buffer ? E_NOTIMPL : S_OK;
}

HRESULT SampleGrabber::SetCallback(ISampleGrabberCB* callback, LONG whichMethod) {
    if (whichMethod != 0 && whichMethod != 1)
        return E_INVALIDARG;
    com::ComPtr<ISampleGrabberCB> replaced(callback);
    {
        const system::MutexLock lock(mutex_);
        callback_.Swap(replaced);
        method_ = whichMethod;
    }
    // The old callback is released here, outside the lock.
    return S_OK;
}

HRESULT SampleGrabber::CheckInputType(const AM_MEDIA_TYPE& type) {
    if (accepted_ && !MatchesPartialType(type, accepted_->Get()))
        return VFW_E_TYPE_NOT_ACCEPTED;
    // In place: what comes in goes out, so the downstream pin must take it too.
    if (output_.IsConnected() && output_.Peer()->QueryAccept(&type) != S_OK)
        return VFW_E_TYPE_NOT_ACCEPTED;
    return S_OK;
}

HRESULT SampleGrabber::InputConnected() {
    if (!output_.IsConnected())
        return S_OK;
    // The output still carries the input's former type.
    IFilterGraph* graph = Graph();
    return graph ? graph->Reconnect(&output_) : E_UNEXPECTED;
}

HRESULT SampleGrabber::ReceiveSample(IMediaSample& sample) {
    com::ComPtr<ISampleGrabberCB> callback;
    LONG method = 0;
    {
        const system::MutexLock lock(mutex_);
        callback = callback_;
        method = method_;
    }
    // Samples carry no time stamps here; the sample time given is 0.
    if (callback) {
        if (method == 0) {
            callback->SampleCB(0.0, &sample);
        } else {
            BYTE* buffer = nullptr;
            if (SUCCEEDED(sample.GetPointer(&buffer)))
                callback->BufferCB(0.0, buffer, sample.GetActualDataLength());
        }
    }
    return output_.Deliver(sample);
}

} // namespace kamsel::dshow

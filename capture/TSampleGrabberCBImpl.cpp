#include "TSampleGrabberCBImpl.h"

namespace kamsel::capture {

void TSampleGrabberCBImpl::SetSampleCallBack(const TSampleCallBack& callBack) {
    const system::MutexLock lock(mutex_);
    SampleCallBack = callBack;
}

TSampleCallBack TSampleGrabberCBImpl::GetSampleCallBack() const {
    const system::MutexLock lock(mutex_);
    return SampleCallBack;
}

com::HRESULT TSampleGrabberCBImpl::SampleCB(double /*SampleTime*/, dshow::IMediaSample* Sample) {
    if (!Sample)
        return com::S_OK;
    const com::LONG size = Sample->GetSize();
    if (size <= 0)
        return com::S_OK;
    dshow::BYTE* buffer = nullptr;
    if (com::FAILED(Sample->GetPointer(&buffer)) || !buffer)
        return com::S_OK;
    Dispatch(buffer, size);
    return com::S_OK;
}

com::HRESULT TSampleGrabberCBImpl::BufferCB(double /*SampleTime*/, dshow::BYTE* Buffer, com::LONG BufferLen) {
    if (BufferLen <= 0 || !Buffer)
        return com::S_OK;
    Dispatch(Buffer, BufferLen);
    return com::S_OK;
}

void TSampleGrabberCBImpl::Dispatch(const std::uint8_t* buffer, std::int32_t length) {
    // Held across the call: SetSampleCallBack cannot pair a new procedure with
    // the old data, nor return while the old procedure still runs.
    const system::MutexLock lock(mutex_);
    if (!SampleCallBack) {
        // Nobody to hand it to yet (the owner registers after its start-up
        // sequence); waiting for the user-interface thread here could deadlock
        // against a graph stop that waits for this thread.
        droppedSamples_.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    SampleCallBack.Proc(SampleCallBack.Data, buffer, length);
}

} // namespace kamsel::capture

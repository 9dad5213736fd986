#pragma once
// TSampleGrabberCBImpl: the work behind the capture object's sample callback.
// The grabber calls SampleCB (callback mode 0) or BufferCB (mode 1) once per
// sample on the graph's streaming thread; each hands the sample's own buffer,
// uncopied, to the registered TSampleCallBack.
//
// The registered pair is guarded by a lock that the streaming thread holds for
// the whole dispatch of one sample, so a sample is always delivered to a
// matching (procedure, data) pair, and once SetSampleCallBack returns the old
// procedure is neither running nor called again. The streaming thread never
// waits for anything but a SetSampleCallBack in progress, which itself waits
// for at most one procedure call.
//
// Samples that arrive while no procedure is registered are dropped and counted.

#include "TSampleCallBack.h"

#include "platform/dshow/FilterInterfaces.h"
#include "platform/system/ThreadAnnotations.h"

#include <atomic>
#include <cstdint>

namespace kamsel::capture {

class TSampleGrabberCBImpl {
  public:
    TSampleGrabberCBImpl() = default;
    TSampleGrabberCBImpl(const TSampleGrabberCBImpl&) = delete;
    TSampleGrabberCBImpl& operator=(const TSampleGrabberCBImpl&) = delete;

    // Any thread but the streaming one (a procedure must not call it).
    void SetSampleCallBack(const TSampleCallBack& callBack);
    TSampleCallBack GetSampleCallBack() const;

    // Streaming thread. Delivers the buffer's capacity (IMediaSample::GetSize),
    // not its valid length: a compressed frame arrives with the bytes after
    // its end. A size of 0 or less, or no buffer, delivers nothing. Always S_OK.
    com::HRESULT SampleCB(double SampleTime, dshow::IMediaSample* Sample);
    // Streaming thread. Delivers BufferLen bytes at Buffer; nothing for a
    // length of 0 or less. Always S_OK.
    com::HRESULT BufferCB(double SampleTime, dshow::BYTE* Buffer, com::LONG BufferLen);

    // Samples that arrived while no procedure was registered.
    std::uint64_t DroppedSamples() const { return droppedSamples_.load(std::memory_order_relaxed); }

  private:
    void Dispatch(const std::uint8_t* buffer, std::int32_t length);

    mutable system::Mutex mutex_;
    TSampleCallBack SampleCallBack GUARDED_BY(mutex_);
    std::atomic<std::uint64_t> droppedSamples_{0};
};

} // namespace kamsel::capture

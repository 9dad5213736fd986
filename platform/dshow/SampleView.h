#pragma once
// One sample as a view of a device buffer, made on the streaming thread's
// stack for the duration of one delivery: it allocates nothing and copies
// nothing. Receivers use it only during the call that hands it over; a
// reference kept beyond that call is a fault of the receiver, so the count is
// only tracked, never used to free the view.

#include "FilterInterfaces.h"

#include <atomic>

namespace kamsel::dshow {

class SampleView final : public IMediaSample {
  public:
    // capacity and used are in bytes; used is at most capacity.
    SampleView(BYTE* buffer, LONG capacity, LONG used) : buffer_(buffer), capacity_(capacity), used_(used) {}
    SampleView(const SampleView&) = delete;
    SampleView& operator=(const SampleView&) = delete;

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override { return refs_.fetch_add(1, std::memory_order_relaxed) + 1; }
    ULONG Release() override { return refs_.fetch_sub(1, std::memory_order_relaxed) - 1; }

    HRESULT GetPointer(BYTE** buffer) override;
    LONG GetSize() override { return capacity_; }
    LONG GetActualDataLength() override { return used_; }

  private:
    BYTE* const buffer_;
    const LONG capacity_;
    const LONG used_;
    std::atomic<ULONG> refs_{1};
};

} // namespace kamsel::dshow

#pragma once
// A media sample over a buffer the test owns, for driving the sample callback
// without a graph: its capacity (GetSize), valid length and GetPointer's
// status are chosen by the test.

#include "platform/com/ComObject.h"
#include "platform/dshow/FilterInterfaces.h"

#include <vector>

namespace kamsel::capture::test {

class FakeMediaSample final : public com::ComObject<dshow::IMediaSample> {
  public:
    FakeMediaSample(std::vector<dshow::BYTE> buffer, com::LONG validLength)
        : buffer_(std::move(buffer)), validLength_(validLength),
          size_(static_cast<com::LONG>(buffer_.size())) {}

    com::HRESULT GetPointer(dshow::BYTE** buffer) override {
        if (com::FAILED(pointerStatus_))
            return pointerStatus_;
        *buffer = buffer_.data();
        return com::S_OK;
    }
    com::LONG GetSize() override { return size_; }
    com::LONG GetActualDataLength() override { return validLength_; }

    void ReportSize(com::LONG size) { size_ = size; }
    void FailGetPointer(com::HRESULT status) { pointerStatus_ = status; }
    const dshow::BYTE* Data() const { return buffer_.data(); }

  private:
    ~FakeMediaSample() override = default;

    std::vector<dshow::BYTE> buffer_;
    com::LONG validLength_;
    com::LONG size_;
    com::HRESULT pointerStatus_ = com::S_OK;
};

} // namespace kamsel::capture::test

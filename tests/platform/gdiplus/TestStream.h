#pragma once
// A read-only COM stream over a byte vector for feeding the gdiplus module,
// which can be told to fail its reads, as a broken device stream would.

#include "platform/com/ComObject.h"
#include "platform/com/IStream.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace kamsel::testimages {

class TestStream : public com::ComObject<com::IStream> {
  public:
    explicit TestStream(std::vector<std::uint8_t> bytes, std::size_t position = 0)
        : bytes_(std::move(bytes)), position_(position) {}

    void FailReads() { failReads_ = true; }
    std::size_t Position() const { return position_; }

    com::HRESULT Read(void* pv, com::ULONG cb, com::ULONG* pcbRead) override {
        if (failReads_)
            return com::STG_E_READFAULT;
        const std::size_t n =
            position_ >= bytes_.size() ? 0 : std::min<std::size_t>(cb, bytes_.size() - position_);
        if (n > 0)
            std::memcpy(pv, bytes_.data() + position_, n);
        position_ += n;
        if (pcbRead)
            *pcbRead = static_cast<com::ULONG>(n);
        return com::S_OK;
    }
    com::HRESULT Write(const void*, com::ULONG, com::ULONG*) override { return com::STG_E_ACCESSDENIED; }
    com::HRESULT Seek(com::LARGE_INTEGER move, com::DWORD origin, com::ULARGE_INTEGER* newPosition) override {
        const std::int64_t base = origin == com::STREAM_SEEK_SET   ? 0
                                  : origin == com::STREAM_SEEK_CUR ? static_cast<std::int64_t>(position_)
                                                                   : static_cast<std::int64_t>(bytes_.size());
        if (base + move < 0)
            return com::STG_E_INVALIDFUNCTION;
        position_ = static_cast<std::size_t>(base + move);
        if (newPosition)
            *newPosition = position_;
        return com::S_OK;
    }
    com::HRESULT SetSize(com::ULARGE_INTEGER) override { return com::STG_E_ACCESSDENIED; }
    com::HRESULT CopyTo(com::IStream*, com::ULARGE_INTEGER, com::ULARGE_INTEGER*,
                        com::ULARGE_INTEGER*) override {
        return com::E_NOTIMPL;
    }
    com::HRESULT Commit(com::DWORD) override { return com::S_OK; }
    com::HRESULT Revert() override { return com::S_OK; }
    com::HRESULT LockRegion(com::ULARGE_INTEGER, com::ULARGE_INTEGER, com::DWORD) override {
        return com::STG_E_INVALIDFUNCTION;
    }
    com::HRESULT UnlockRegion(com::ULARGE_INTEGER, com::ULARGE_INTEGER, com::DWORD) override {
        return com::STG_E_INVALIDFUNCTION;
    }
    com::HRESULT Stat(com::STATSTG* stat, com::DWORD) override {
        if (!stat)
            return com::STG_E_INVALIDPOINTER;
        *stat = {};
        stat->type = com::STGTY_STREAM;
        stat->cbSize = bytes_.size();
        return com::S_OK;
    }
    com::HRESULT Clone(com::IStream**) override { return com::E_NOTIMPL; }

  private:
    std::vector<std::uint8_t> bytes_;
    std::size_t position_;
    bool failReads_ = false;
};

} // namespace kamsel::testimages

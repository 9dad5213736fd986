#pragma once
// A COM stream over a MemoryStream, so that the in-memory stream of a
// compressed frame can be handed to the GDI+ module.
//
// Ownership: the adapter borrows the memory stream; the caller keeps it alive
// for as long as the adapter is used and frees it itself. The adapter and the
// memory stream share one position: the adapter reads and writes at the
// memory stream's current position and moves it.
// Threads: as the memory stream, one thread at a time.

#include "frames/MemoryStream.h"
#include "platform/com/ComObject.h"
#include "platform/com/IStream.h"

namespace kamsel::frames {

class MemoryStreamAdapter : public com::ComObject<com::IStream> {
  public:
    explicit MemoryStreamAdapter(MemoryStream& stream) : stream_(stream) {}

    com::HRESULT Read(void* pv, com::ULONG cb, com::ULONG* pcbRead) override;
    com::HRESULT Write(const void* pv, com::ULONG cb, com::ULONG* pcbWritten) override;
    // Positions past the end are allowed (reading there gives nothing);
    // before the start they are STG_E_INVALIDFUNCTION.
    com::HRESULT Seek(com::LARGE_INTEGER dlibMove, com::DWORD dwOrigin,
                      com::ULARGE_INTEGER* plibNewPosition) override;
    com::HRESULT SetSize(com::ULARGE_INTEGER libNewSize) override;
    // Not offered: nothing in the program copies between streams.
    com::HRESULT CopyTo(com::IStream* pstm, com::ULARGE_INTEGER cb, com::ULARGE_INTEGER* pcbRead,
                        com::ULARGE_INTEGER* pcbWritten) override;
    // The memory stream is written directly; there is no transaction to
    // commit or revert.
    com::HRESULT Commit(com::DWORD grfCommitFlags) override;
    com::HRESULT Revert() override;
    // Region locking is not supported (STG_E_INVALIDFUNCTION, as documented
    // for streams without it).
    com::HRESULT LockRegion(com::ULARGE_INTEGER libOffset, com::ULARGE_INTEGER cb,
                            com::DWORD dwLockType) override;
    com::HRESULT UnlockRegion(com::ULARGE_INTEGER libOffset, com::ULARGE_INTEGER cb,
                              com::DWORD dwLockType) override;
    // Type and size; no name whatever the flag.
    com::HRESULT Stat(com::STATSTG* pstatstg, com::DWORD grfStatFlag) override;
    // Not offered: a clone needs a position of its own, and the memory stream
    // has only one.
    com::HRESULT Clone(com::IStream** ppstm) override;

  private:
    MemoryStream& stream_;
};

} // namespace kamsel::frames

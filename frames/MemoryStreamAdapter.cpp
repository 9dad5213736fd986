#include "MemoryStreamAdapter.h"

#include <limits>
#include <new>
#include <stdexcept>

namespace kamsel::frames {

namespace {

constexpr std::uint64_t kMaxPosition = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());

} // namespace

com::HRESULT MemoryStreamAdapter::Read(void* pv, com::ULONG cb, com::ULONG* pcbRead) {
    if (!pv && cb > 0)
        return com::STG_E_INVALIDPOINTER;
    const std::size_t read = cb > 0 ? stream_.Read(pv, cb) : 0;
    if (pcbRead)
        *pcbRead = static_cast<com::ULONG>(read);
    return com::S_OK;
}

com::HRESULT MemoryStreamAdapter::Write(const void* pv, com::ULONG cb, com::ULONG* pcbWritten) {
    if (pcbWritten)
        *pcbWritten = 0;
    if (!pv && cb > 0)
        return com::STG_E_INVALIDPOINTER;
    try {
        const std::size_t written = cb > 0 ? stream_.Write(pv, cb) : 0;
        if (pcbWritten)
            *pcbWritten = static_cast<com::ULONG>(written);
        return com::S_OK;
    } catch (const std::bad_alloc&) {
        return com::STG_E_MEDIUMFULL;
    } catch (const std::length_error&) { // a position far past the end
        return com::STG_E_MEDIUMFULL;
    }
}

com::HRESULT MemoryStreamAdapter::Seek(com::LARGE_INTEGER dlibMove, com::DWORD dwOrigin,
                                       com::ULARGE_INTEGER* plibNewPosition) {
    std::int64_t base = 0;
    switch (dwOrigin) {
    case com::STREAM_SEEK_SET:
        break;
    case com::STREAM_SEEK_CUR:
        base = static_cast<std::int64_t>(stream_.Position());
        break;
    case com::STREAM_SEEK_END:
        base = static_cast<std::int64_t>(stream_.Size());
        break;
    default:
        return com::STG_E_INVALIDFUNCTION;
    }
    std::int64_t target = 0;
    if (__builtin_add_overflow(base, dlibMove, &target) || target < 0)
        return com::STG_E_INVALIDFUNCTION;
    stream_.SetPosition(static_cast<std::size_t>(target));
    if (plibNewPosition)
        *plibNewPosition = static_cast<com::ULARGE_INTEGER>(target);
    return com::S_OK;
}

com::HRESULT MemoryStreamAdapter::SetSize(com::ULARGE_INTEGER libNewSize) {
    if (libNewSize > kMaxPosition || libNewSize > std::numeric_limits<std::size_t>::max())
        return com::STG_E_MEDIUMFULL;
    try {
        stream_.SetSize(static_cast<std::size_t>(libNewSize));
        return com::S_OK;
    } catch (const std::bad_alloc&) {
        return com::STG_E_MEDIUMFULL;
    } catch (const std::length_error&) {
        return com::STG_E_MEDIUMFULL;
    }
}

com::HRESULT MemoryStreamAdapter::CopyTo(com::IStream*, com::ULARGE_INTEGER, com::ULARGE_INTEGER*,
                                         com::ULARGE_INTEGER*) {
    return com::E_NOTIMPL;
}

com::HRESULT MemoryStreamAdapter::Commit(com::DWORD) {
    return com::S_OK;
}

com::HRESULT MemoryStreamAdapter::Revert() {
    return com::S_OK;
}

com::HRESULT MemoryStreamAdapter::LockRegion(com::ULARGE_INTEGER, com::ULARGE_INTEGER, com::DWORD) {
    return com::STG_E_INVALIDFUNCTION;
}

com::HRESULT MemoryStreamAdapter::UnlockRegion(com::ULARGE_INTEGER, com::ULARGE_INTEGER, com::DWORD) {
    return com::STG_E_INVALIDFUNCTION;
}

com::HRESULT MemoryStreamAdapter::Stat(com::STATSTG* pstatstg, com::DWORD) {
    if (!pstatstg)
        return com::STG_E_INVALIDPOINTER;
    *pstatstg = {};
    pstatstg->type = com::STGTY_STREAM;
    pstatstg->cbSize = stream_.Size();
    return com::S_OK;
}

com::HRESULT MemoryStreamAdapter::Clone(com::IStream** ppstm) {
    if (ppstm)
        *ppstm = nullptr;
    return com::E_NOTIMPL;
}

} // namespace kamsel::frames

#pragma once
// The platform's byte-stream interfaces, with their published identifiers and
// method order: ISequentialStream (Read, Write) and IStream (seeking, sizing,
// status). Images reach the GDI+ module through an IStream.
//
// Positions and sizes are 64-bit, as on the platform (LARGE_INTEGER and
// ULARGE_INTEGER are passed by value as plain 64-bit integers here).

#include "ComTypes.h"

#include <cstdint>

namespace kamsel::com {

using LARGE_INTEGER = std::int64_t;
using ULARGE_INTEGER = std::uint64_t;

struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

// Origins for IStream::Seek.
constexpr DWORD STREAM_SEEK_SET = 0;
constexpr DWORD STREAM_SEEK_CUR = 1;
constexpr DWORD STREAM_SEEK_END = 2;

// Flags for IStream::Stat.
constexpr DWORD STATFLAG_DEFAULT = 0;
constexpr DWORD STATFLAG_NONAME = 1;

// STATSTG::type of a stream object.
constexpr DWORD STGTY_STREAM = 2;

constexpr HRESULT STG_E_ACCESSDENIED = MakeHresult(0x80030005u);
constexpr HRESULT STG_E_INSUFFICIENTMEMORY = MakeHresult(0x80030008u);
constexpr HRESULT STG_E_READFAULT = MakeHresult(0x8003001Eu);
constexpr HRESULT STG_E_INVALIDPARAMETER = MakeHresult(0x80030057u);
constexpr HRESULT STG_E_MEDIUMFULL = MakeHresult(0x80030070u);

// Status of a stream. pwcsName is never filled by our streams (it would have
// to be freed by the caller with the platform's task allocator): it stays null
// whatever the flag.
struct STATSTG {
    char16_t* pwcsName;
    DWORD type;
    ULARGE_INTEGER cbSize;
    FILETIME mtime;
    FILETIME ctime;
    FILETIME atime;
    DWORD grfMode;
    DWORD grfLocksSupported;
    CLSID clsid;
    DWORD grfStateBits;
    DWORD reserved;
};

// {0C733A30-2A1C-11CE-ADE5-00AA0044773D}
struct ISequentialStream : IUnknown {
    static constexpr IID Iid = {0x0C733A30, 0x2A1C, 0x11CE, {0xAD, 0xE5, 0x00, 0xAA, 0x00, 0x44, 0x77, 0x3D}};

    // Reads up to cb bytes; *pcbRead (if given) receives how many were read,
    // fewer than cb only at the end of the stream.
    virtual HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) = 0;
    virtual HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) = 0;

  protected:
    ~ISequentialStream() = default;
};

// {0000000C-0000-0000-C000-000000000046}
struct IStream : ISequentialStream {
    static constexpr IID Iid = {0x0000000C, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
    using Base = ISequentialStream;

    virtual HRESULT Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin, ULARGE_INTEGER* plibNewPosition) = 0;
    virtual HRESULT SetSize(ULARGE_INTEGER libNewSize) = 0;
    virtual HRESULT CopyTo(IStream* pstm, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead,
                           ULARGE_INTEGER* pcbWritten) = 0;
    virtual HRESULT Commit(DWORD grfCommitFlags) = 0;
    virtual HRESULT Revert() = 0;
    virtual HRESULT LockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, DWORD dwLockType) = 0;
    virtual HRESULT UnlockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, DWORD dwLockType) = 0;
    virtual HRESULT Stat(STATSTG* pstatstg, DWORD grfStatFlag) = 0;
    virtual HRESULT Clone(IStream** ppstm) = 0;

  protected:
    ~IStream() = default;
};

inline constexpr const IID& IID_ISequentialStream = ISequentialStream::Iid;
inline constexpr const IID& IID_IStream = IStream::Iid;

} // namespace kamsel::com

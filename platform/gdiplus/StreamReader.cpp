#include "StreamReader.h"

#include <algorithm>

namespace kamsel::gdiplus {

namespace {

constexpr com::ULONG kChunkBytes = 64 * 1024;

// Bytes between the current position and the end, if the stream can tell.
std::uint64_t RemainingHint(com::IStream& stream) {
    com::ULARGE_INTEGER position = 0;
    if (com::FAILED(stream.Seek(0, com::STREAM_SEEK_CUR, &position)))
        return 0;
    com::STATSTG status{};
    if (com::FAILED(stream.Stat(&status, com::STATFLAG_NONAME)) || status.cbSize < position)
        return 0;
    return status.cbSize - position;
}

} // namespace

Status ReadRemainingStream(com::IStream& stream, StreamBytes& bytes) {
    bytes.clear();
    const std::uint64_t hint = RemainingHint(stream);
    if (hint > kMaxStreamBytes)
        return ValueOverflow;
    // Room for the hinted rest and one more chunk, so that the read that finds
    // the end does not move what was read.
    bytes.reserve(static_cast<std::size_t>(hint) + kChunkBytes);
    for (;;) {
        if (bytes.size() >= kMaxStreamBytes)
            return ValueOverflow;
        const std::size_t filled = bytes.size();
        // The whole hinted rest in one read where the stream told its size.
        const auto want = static_cast<com::ULONG>(std::max<std::size_t>(
            kChunkBytes, std::min<std::size_t>(bytes.capacity(), kMaxStreamBytes) - filled));
        bytes.resize(filled + want);
        com::ULONG got = 0;
        const com::HRESULT hr = stream.Read(bytes.data() + filled, want, &got);
        if (com::FAILED(hr))
            return GenericError;
        // A stream that claims more than it was asked for is not trusted further.
        got = std::min(got, want);
        bytes.resize(filled + got);
        if (got == 0)
            return Ok;
    }
}

} // namespace kamsel::gdiplus

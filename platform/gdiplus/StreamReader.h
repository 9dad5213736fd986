#pragma once
// Reading an image's bytes out of a caller's stream.

#include "GdiplusFlat.h"

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace kamsel::gdiplus {

// Leaves bytes that a vector grows by uninitialised: the stream's bytes
// overwrite them at once, so zeroing them first is wasted work.
template <class T>
struct UninitializedAllocator : std::allocator<T> {
    using value_type = T;
    template <class U>
    struct rebind {
        using other = UninitializedAllocator<U>;
    };
    template <class U>
    void construct(U* at) noexcept {
        ::new (static_cast<void*>(at)) U;
    }
    template <class U, class... Args>
    void construct(U* at, Args&&... args) {
        ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
    }
};

using StreamBytes = std::vector<std::uint8_t, UninitializedAllocator<std::uint8_t>>;

// Streams larger than this are not images the module will decode.
constexpr std::uint64_t kMaxStreamBytes = std::uint64_t{256} << 20;

// Reads stream from its current position to its end into bytes. The stream's
// size (Stat) is only a hint for the buffer; reading goes on until Read gives
// nothing. GenericError if the stream fails, ValueOverflow if it holds more
// than kMaxStreamBytes.
Status ReadRemainingStream(com::IStream& stream, StreamBytes& bytes);

} // namespace kamsel::gdiplus

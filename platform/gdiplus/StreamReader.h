#pragma once
// Reading an image's bytes out of a caller's stream.

#include "GdiplusFlat.h"

#include <cstdint>
#include <vector>

namespace kamsel::gdiplus {

// Streams larger than this are not images the module will decode.
constexpr std::uint64_t kMaxStreamBytes = std::uint64_t{256} << 20;

// Reads stream from its current position to its end into bytes. The stream's
// size (Stat) is only a hint for the buffer; reading goes on until Read gives
// nothing. GenericError if the stream fails, ValueOverflow if it holds more
// than kMaxStreamBytes.
Status ReadRemainingStream(com::IStream& stream, std::vector<std::uint8_t>& bytes);

} // namespace kamsel::gdiplus

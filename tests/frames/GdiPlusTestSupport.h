#pragma once
// Helpers for the GDI+ binding tests: pictures in memory streams and pixel
// access on bitmaps of 24 and 32 bits.

#include "frames/Bitmap24.h"
#include "frames/MemoryStream.h"
#include "platform/gdiplus/TestImages.h"

#include <array>
#include <cstdint>

namespace kamsel::frames::test {

inline void Fill(MemoryStream& stream, const testimages::Bytes& bytes) {
    stream.Clear();
    stream.Write(bytes.data(), bytes.size());
    stream.SetPosition(0);
}

// Blue, green, red of a pixel of a 24- or 32-bit bitmap.
inline std::array<std::uint8_t, 3> BgrAt(const Bitmap24& bitmap, int x, int y) {
    const int bytes = bitmap.Format() == PixelFormat::Bits32 ? 4 : 3;
    const std::uint8_t* p = bitmap.ScanLine(y) + x * bytes;
    return {p[0], p[1], p[2]};
}

inline std::array<std::uint8_t, 3> Bgr(const testimages::Rgb& c) {
    return {c.b, c.g, c.r};
}

} // namespace kamsel::frames::test

#pragma once
// Rows of 24-bit blue-green-red pixels to 32-bit blue-green-red-alpha and back,
// the two conversions a decoded still image passes through on its way from
// the GDI+ module (32-bit bitmap handles) into a 24-bit frame bitmap.
//
// On x86-64 with SSSE3 (checked once) sixteen pixels go per step through byte
// shuffles; the rest, and other processors, take the plain loop. Both give the
// same bytes. Input and output must not overlap.

#include <cstdint>

namespace kamsel::media {

class PixelRows {
  public:
    // pixels x 3 bytes in, pixels x 4 bytes out; the fourth byte of each is 255.
    static void ExpandToOpaqueBgra(const std::uint8_t* bgr, std::uint8_t* bgra, int pixels);
    // pixels x 4 bytes in, pixels x 3 bytes out; the fourth byte is dropped.
    static void DropAlpha(const std::uint8_t* bgra, std::uint8_t* bgr, int pixels);

    // The plain loops alone, as the reference for tests.
    static void ExpandToOpaqueBgraScalar(const std::uint8_t* bgr, std::uint8_t* bgra, int pixels);
    static void DropAlphaScalar(const std::uint8_t* bgra, std::uint8_t* bgr, int pixels);
};

} // namespace kamsel::media

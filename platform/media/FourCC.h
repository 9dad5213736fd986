#pragma once
// Four-character codes of pixel formats.

#include <cstdint>

namespace kamsel::media {

// FourCC from four letters, lowest byte first: FourCC("YUY2").
constexpr std::uint32_t FourCC(const char (&code)[5]) {
    return static_cast<std::uint32_t>(static_cast<std::uint8_t>(code[0])) |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(code[1])) << 8 |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(code[2])) << 16 |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(code[3])) << 24;
}
// Uncompressed 24-bit blue-green-red, rows bottom-up (as a DIB).
constexpr std::uint32_t kFourCCRgb24 = 0;

} // namespace kamsel::media

#pragma once
// Four-character codes of pixel formats.

#include <cstdint>
#include <string>
#include <string_view>

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

// A FourCC as people read it, for messages and labels: its four letters,
// lowest byte first ("YUY2"), a byte that is no printable ASCII letter shown
// as '?' so that any code gives four readable characters; kFourCCRgb24 gives
// rgbName, as each place names uncompressed RGB in its own words.
inline std::string FourCCText(std::uint32_t fourcc, std::string_view rgbName = "RGB24") {
    if (fourcc == kFourCCRgb24)
        return std::string(rgbName);
    std::string text;
    for (int shift = 0; shift < 32; shift += 8) {
        const char letter = static_cast<char>((fourcc >> shift) & 0xff);
        text += letter >= 0x20 && letter < 0x7f ? letter : '?';
    }
    return text;
}

} // namespace kamsel::media

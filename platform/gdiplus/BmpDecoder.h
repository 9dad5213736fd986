#pragma once
// Windows bitmap (BMP) decoding: OS/2 and Windows headers up to version 5,
// uncompressed 1, 4, 8, 16, 24 and 32 bits per pixel, bit-field masks for 16
// and 32 bits; rows bottom-up or (negative height) top-down. Run-length
// compressed and embedded JPEG/PNG bitmaps are not decoded.
//
// Reported formats: 1, 4, 8 bits as the indexed formats with the file's
// colour table; 16 bits as PixelFormat16bppRGB565 for 5-6-5 masks and
// PixelFormat16bppRGB555 otherwise; 24 bits as PixelFormat24bppRGB; 32 bits as
// PixelFormat32bppARGB when the header names an alpha mask, otherwise
// PixelFormat32bppRGB (the fourth byte is ignored).

#include "DecodedImage.h"

#include <cstddef>
#include <cstdint>

namespace kamsel::gdiplus {

bool LooksLikeBmp(const std::uint8_t* data, std::size_t size);

// UnknownImageFormat for a header or compression this decoder does not know,
// GenericError for a file that is cut short or contradicts itself,
// ValueOverflow for a picture beyond the module's limits, OutOfMemory.
Status DecodeBmp(const std::uint8_t* data, std::size_t size, DecodedImage& image);

} // namespace kamsel::gdiplus

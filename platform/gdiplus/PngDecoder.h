#pragma once
// PNG decoding with libpng.
//
// Palette pictures keep their palette (with the transparency of each entry)
// and are reported as indexed: 1 bit per pixel as PixelFormat1bppIndexed, 2
// and 4 bits as PixelFormat4bppIndexed, 8 bits as PixelFormat8bppIndexed. Gray
// pictures without transparency become PixelFormat8bppIndexed with a gray
// palette, other pictures without transparency PixelFormat24bppRGB, and
// everything with an alpha channel or a transparent colour
// PixelFormat32bppARGB. 16-bit samples are reduced to 8 bits.

#include "DecodedImage.h"

#include <cstddef>
#include <cstdint>

namespace kamsel::gdiplus {

bool LooksLikePng(const std::uint8_t* data, std::size_t size);

// GenericError for a damaged or truncated stream, ValueOverflow for a picture
// beyond the module's limits, OutOfMemory.
Status DecodePng(const std::uint8_t* data, std::size_t size, DecodedImage& image);

} // namespace kamsel::gdiplus

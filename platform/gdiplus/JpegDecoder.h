#pragma once
// JPEG decoding with libjpeg-turbo.
//
// Motion-JPEG camera frames often leave out their Huffman tables: libjpeg-turbo
// then uses the standard tables, which are the ones such cameras encode with.
// Bytes after the end-of-image marker (a camera's buffer is larger than its
// frame) are never looked at. A frame that ends early still decodes: the rest
// of the picture is filled as libjpeg does.

#include "DecodedImage.h"

#include <cstddef>
#include <cstdint>

namespace kamsel::gdiplus {

// True when data starts with the JPEG start-of-image marker.
bool LooksLikeJpeg(const std::uint8_t* data, std::size_t size);

// Colour pictures become PixelFormat24bppRGB, gray ones PixelFormat8bppIndexed
// with a gray palette. GenericError for a damaged stream, ValueOverflow for a
// picture beyond the module's limits, OutOfMemory.
Status DecodeJpeg(const std::uint8_t* data, std::size_t size, DecodedImage& image);

} // namespace kamsel::gdiplus

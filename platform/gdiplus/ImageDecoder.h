#pragma once
// Picks the decoder for a byte string by its signature.

#include "DecodedImage.h"

#include <cstddef>
#include <cstdint>

namespace kamsel::gdiplus {

// Decodes JPEG, PNG or BMP. UnknownImageFormat for anything else; otherwise
// the decoder's status. On failure image is left unusable.
Status DecodeImage(const std::uint8_t* data, std::size_t size, DecodedImage& image);

} // namespace kamsel::gdiplus

#pragma once
// Turning a decoded image into a 32-bit bitmap handle (GdiBitmap.h).

#include "DecodedImage.h"

namespace kamsel::gdiplus {

// Composites image over background ("source over", in premultiplied form) into
// a new handle that frees itself through its release function. OutOfMemory
// if the pixels cannot be allocated.
Status ComposeDib(const DecodedImage& image, ARGB background, HBITMAP* result);

} // namespace kamsel::gdiplus

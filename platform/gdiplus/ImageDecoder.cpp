#include "ImageDecoder.h"

#include "BmpDecoder.h"
#include "JpegDecoder.h"
#include "PngDecoder.h"

namespace kamsel::gdiplus {

Status DecodeImage(const std::uint8_t* data, std::size_t size, DecodedImage& image) {
    if (LooksLikeJpeg(data, size))
        return DecodeJpeg(data, size, image);
    if (LooksLikePng(data, size))
        return DecodePng(data, size, image);
    if (LooksLikeBmp(data, size))
        return DecodeBmp(data, size, image);
    return UnknownImageFormat;
}

} // namespace kamsel::gdiplus

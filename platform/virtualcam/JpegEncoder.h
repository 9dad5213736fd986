#pragma once
// Encodes 4:2:0 pictures to baseline JPEG with libjpeg, straight from the
// planes (raw data input, so no colour conversion) and with the fast integer
// DCT: cheap enough for 1920x1080 at 30 frames per second. One compressor is
// kept for the encoder's life.
//
// Threads: one user at a time.

#include "platform/media/VideoDevice.h"
#include "platform/virtualcam/YuvImage.h"

#include <memory>
#include <span>

namespace kamsel::jpeg {
class JpegCompressor;
}

namespace kamsel::virtualcam {

class JpegEncoder {
  public:
    explicit JpegEncoder(int quality = 80);
    ~JpegEncoder();
    JpegEncoder(const JpegEncoder&) = delete;
    JpegEncoder& operator=(const JpegEncoder&) = delete;

    // Encodes `image`, taken as full-range YCbCr as JFIF stores it, into the
    // start of `out` and sets `bytesUsed`. Bytes of `out` after the image are
    // not touched. Fails when the image does not fit or libjpeg reports an
    // error; `out` then holds no usable image.
    media::DeviceStatus Encode(const YuvImage& image, std::span<std::uint8_t> out, std::size_t& bytesUsed);

  private:
    std::unique_ptr<jpeg::JpegCompressor> compressor_;
    int quality_;
};

} // namespace kamsel::virtualcam

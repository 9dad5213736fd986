#include "BottomUpFrame.h"

#include "PixelFormats.h"

#include <cstring>

namespace kamsel::v4l2 {

BottomUpFrame::BottomUpFrame(std::uint32_t width, std::uint32_t height, std::uint32_t sourceStride)
    : rowBytes_(std::size_t{width} * 3), height_(height), sourceStride_(sourceStride),
      stride_(BottomUpStride(width)), pixels_(stride_ * height_) {}

bool BottomUpFrame::CopyFrom(const std::uint8_t* source, std::size_t bytesUsed) {
    if (height_ == 0 || bytesUsed < sourceStride_ * (height_ - 1) + rowBytes_)
        return false;
    for (std::size_t row = 0; row < height_; ++row)
        std::memcpy(pixels_.data() + (height_ - 1 - row) * stride_, source + row * sourceStride_, rowBytes_);
    return true;
}

} // namespace kamsel::v4l2

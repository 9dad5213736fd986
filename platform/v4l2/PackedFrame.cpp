#include "PackedFrame.h"

#include <cstring>
#include <utility>

namespace kamsel::v4l2 {

PackedFrame::PackedFrame(std::vector<DriverPlane> planes)
    : planes_(std::move(planes)), packedSize_(PackedSizeOf(planes_)) {
    std::size_t planeStart = 0;
    for (const DriverPlane& plane : planes_) {
        padded_ = padded_ || plane.stride != plane.rowBytes;
        if (plane.rows > 0)
            driverSize_ = planeStart + std::size_t{plane.stride} * (plane.rows - 1) + plane.rowBytes;
        planeStart += std::size_t{plane.stride} * plane.rows;
    }
    if (padded_)
        pixels_.resize(packedSize_);
}

bool PackedFrame::CopyFrom(const std::uint8_t* source, std::size_t bytesUsed) {
    if (bytesUsed < driverSize_)
        return false;
    std::uint8_t* target = pixels_.data();
    std::size_t planeStart = 0;
    for (const DriverPlane& plane : planes_) {
        for (std::size_t row = 0; row < plane.rows; ++row) {
            std::memcpy(target, source + planeStart + row * plane.stride, plane.rowBytes);
            target += plane.rowBytes;
        }
        planeStart += std::size_t{plane.stride} * plane.rows;
    }
    return true;
}

} // namespace kamsel::v4l2

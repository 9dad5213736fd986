#pragma once
// A stable buffer holding one uncompressed frame with its rows packed: a
// driver may pad each row of a plane (bytesperline larger than the pixels
// need, common at widths like 1366 or for alignment), while every consumer
// of samples reads rows that follow each other with no gap. Allocated once
// per stream and only when the driver pads, so the copy costs no allocation.
// Used on the streaming thread only.

#include "PixelFormats.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kamsel::v4l2 {

class PackedFrame {
  public:
    // planes: the frame's layout in the driver's buffer (DriverPlanes).
    explicit PackedFrame(std::vector<DriverPlane> planes);

    // Whether the driver pads any row, so that frames must be copied.
    bool Padded() const { return padded_; }
    // Bytes of one frame with packed rows: the length every sample is given.
    std::size_t PackedSize() const { return packedSize_; }
    // Bytes of the driver's buffer one frame occupies, up to the end of the
    // last row of its last plane.
    std::size_t DriverSize() const { return driverSize_; }

    // Copies the frame in source (bytesUsed valid bytes) with its rows packed.
    // Returns false and copies nothing when bytesUsed does not hold every row.
    bool CopyFrom(const std::uint8_t* source, std::size_t bytesUsed);

    const std::uint8_t* Data() const { return pixels_.data(); }

  private:
    std::vector<DriverPlane> planes_;
    bool padded_ = false;
    std::size_t packedSize_ = 0;
    std::size_t driverSize_ = 0;
    std::vector<std::uint8_t> pixels_; // empty unless padded_
};

} // namespace kamsel::v4l2

#pragma once
// A stable buffer holding one BGR24 frame turned bottom-up: V4L2 delivers
// rows top-down, while RGB24 samples (like a bitmap) run bottom-up with rows
// padded to 4 bytes. Reversing the rows needs one copy per frame; this buffer
// is allocated once per stream, so the copy costs no allocation.
// Used on the streaming thread only.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kamsel::v4l2 {

class BottomUpFrame {
  public:
    // sourceStride: bytes per row in the driver's buffer, at least width * 3.
    BottomUpFrame(std::uint32_t width, std::uint32_t height, std::uint32_t sourceStride);

    // Copies the frame in source (bytesUsed valid bytes), rows reversed.
    // Returns false and copies nothing when bytesUsed does not hold every row.
    bool CopyFrom(const std::uint8_t* source, std::size_t bytesUsed);

    const std::uint8_t* Data() const { return pixels_.data(); }
    std::size_t Size() const { return pixels_.size(); }

  private:
    std::size_t rowBytes_;
    std::size_t height_;
    std::size_t sourceStride_;
    std::size_t stride_;
    std::vector<std::uint8_t> pixels_; // padding bytes stay 0
};

} // namespace kamsel::v4l2

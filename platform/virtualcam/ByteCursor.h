#pragma once
// Sequential reading of a ByteSource through a window, with seeking. The file
// readers scan headers and marker streams byte by byte; the window keeps that
// from becoming one system call per byte.

#include "platform/virtualcam/ByteSource.h"

#include <vector>

namespace kamsel::virtualcam {

class ByteCursor {
  public:
    // `windowSize` bytes are read at a time; small windows suit sparse reads
    // (a header per frame), large ones long scans. The source must outlive the cursor.
    ByteCursor(ByteSource& source, std::size_t windowSize);

    std::uint64_t Position() const { return position_; }
    void Seek(std::uint64_t position) { position_ = position; }

    // The byte at the position and a step forward; -1 at the end of the source
    // or after a read failure (then Status() says why).
    int Next();
    // Moves to the next byte equal to `value` at or after the position; false
    // when there is none (the position is then the end).
    bool SkipTo(std::uint8_t value);

    const media::DeviceStatus& Status() const { return status_; }

  private:
    bool Load();

    ByteSource& source_;
    std::vector<std::uint8_t> window_;
    std::uint64_t windowStart_ = 0;
    std::size_t windowLength_ = 0;
    std::uint64_t position_ = 0;
    media::DeviceStatus status_;
};

} // namespace kamsel::virtualcam

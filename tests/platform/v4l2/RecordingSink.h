#pragma once
// A frame sink that keeps a copy of everything it is given, for tests. Each
// frame is read over its whole bytesUsed and its last capacity byte, so a
// sink given more than the buffer holds trips AddressSanitizer.

#include "platform/media/VideoDevice.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

namespace kamsel::v4l2::testing {

class RecordingSink final : public media::FrameSink {
  public:
    struct Frame {
        std::vector<std::uint8_t> bytes; // the first bytesUsed bytes
        std::size_t capacity = 0;
        std::uint8_t lastByte = 0; // data[capacity - 1]
    };

    void OnFrame(const std::uint8_t* data, std::size_t capacity, std::size_t bytesUsed) override;
    void OnStreamEnded(const media::DeviceStatus& why) override;

    // Wait until count frames (or an end) arrived; false if that does not
    // happen within a bound far beyond any healthy run, so a fault fails the
    // test instead of hanging it.
    bool WaitForFrames(std::size_t count);
    bool WaitForEnd();

    std::vector<Frame> Frames() const;
    std::vector<media::DeviceStatus> Endings() const;

  private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Frame> frames_;
    std::vector<media::DeviceStatus> endings_;
};

} // namespace kamsel::v4l2::testing

#pragma once
// A frame sink that keeps copies of the frames a device delivers, for tests
// to wait on and inspect from the test's thread.

#include "platform/media/VideoDevice.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>

namespace kamsel::virtualcam::test {

struct CollectedFrame {
    std::vector<std::uint8_t> bytes; // the whole buffer, `capacity` bytes
    std::size_t bytesUsed = 0;
};

class FrameCollector final : public media::FrameSink {
  public:
    void OnFrame(const std::uint8_t* data, std::size_t capacity, std::size_t bytesUsed) override;
    void OnStreamEnded(const media::DeviceStatus& why) override;

    // Waits until `count` frames have come (true) or the stream ended or ten
    // seconds passed (false).
    bool WaitForFrames(std::size_t count);
    // Waits for a frame for which `test` holds, among those still to come.
    bool WaitForFrameWhere(const std::function<bool(const CollectedFrame&)>& test);
    // Waits for the end of the stream.
    bool WaitForEnd();

    std::vector<CollectedFrame> Frames() const;
    std::size_t FrameCount() const;
    std::optional<media::DeviceStatus> EndStatus() const;
    int EndCalls() const;

  private:
    static constexpr std::chrono::seconds kPatience{10};

    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<CollectedFrame> frames_;
    std::optional<media::DeviceStatus> end_;
    int endCalls_ = 0;
};

} // namespace kamsel::virtualcam::test

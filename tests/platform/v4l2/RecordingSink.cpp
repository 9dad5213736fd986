#include "RecordingSink.h"

#include <chrono>

namespace kamsel::v4l2::testing {

namespace {

constexpr auto kPatience = std::chrono::seconds(30);

} // namespace

void RecordingSink::OnFrame(const std::uint8_t* data, std::size_t capacity, std::size_t bytesUsed) {
    Frame frame;
    frame.bytes.assign(data, data + bytesUsed);
    frame.capacity = capacity;
    frame.lastByte = capacity > 0 ? data[capacity - 1] : 0;
    {
        std::lock_guard lock(mutex_);
        frames_.push_back(std::move(frame));
    }
    changed_.notify_all();
}

void RecordingSink::OnStreamEnded(const media::DeviceStatus& why) {
    {
        std::lock_guard lock(mutex_);
        endings_.push_back(why);
    }
    changed_.notify_all();
}

bool RecordingSink::WaitForFrames(std::size_t count) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kPatience, [&] { return frames_.size() >= count || !endings_.empty(); }) &&
           frames_.size() >= count;
}

bool RecordingSink::WaitForEnd() {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kPatience, [&] { return !endings_.empty(); });
}

std::vector<RecordingSink::Frame> RecordingSink::Frames() const {
    std::lock_guard lock(mutex_);
    return frames_;
}

std::vector<media::DeviceStatus> RecordingSink::Endings() const {
    std::lock_guard lock(mutex_);
    return endings_;
}

} // namespace kamsel::v4l2::testing

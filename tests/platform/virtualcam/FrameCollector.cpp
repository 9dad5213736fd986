#include "virtualcam/FrameCollector.h"

namespace kamsel::virtualcam::test {

void FrameCollector::OnFrame(const std::uint8_t* data, std::size_t capacity, std::size_t bytesUsed) {
    CollectedFrame frame{std::vector<std::uint8_t>(data, data + capacity), bytesUsed};
    {
        std::lock_guard lock(mutex_);
        frames_.push_back(std::move(frame));
    }
    arrived_.notify_all();
}

void FrameCollector::OnStreamEnded(const media::DeviceStatus& why) {
    {
        std::lock_guard lock(mutex_);
        end_ = why;
        ++endCalls_;
    }
    arrived_.notify_all();
}

bool FrameCollector::WaitForFrames(std::size_t count) {
    std::unique_lock lock(mutex_);
    arrived_.wait_for(lock, kPatience, [&] { return frames_.size() >= count || end_.has_value(); });
    return frames_.size() >= count;
}

bool FrameCollector::WaitForFrameWhere(const std::function<bool(const CollectedFrame&)>& test) {
    std::unique_lock lock(mutex_);
    std::size_t checked = frames_.size();
    bool found = false;
    arrived_.wait_for(lock, kPatience, [&] {
        for (; checked < frames_.size() && !found; ++checked)
            found = test(frames_[checked]);
        return found || end_.has_value();
    });
    return found;
}

bool FrameCollector::WaitForEnd() {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, kPatience, [&] { return end_.has_value(); });
}

std::vector<CollectedFrame> FrameCollector::Frames() const {
    std::lock_guard lock(mutex_);
    return frames_;
}

std::size_t FrameCollector::FrameCount() const {
    std::lock_guard lock(mutex_);
    return frames_.size();
}

std::optional<media::DeviceStatus> FrameCollector::EndStatus() const {
    std::lock_guard lock(mutex_);
    return end_;
}

int FrameCollector::EndCalls() const {
    std::lock_guard lock(mutex_);
    return endCalls_;
}

} // namespace kamsel::virtualcam::test

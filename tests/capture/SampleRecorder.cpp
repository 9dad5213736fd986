#include "SampleRecorder.h"

#include <chrono>

namespace kamsel::capture::test {

namespace {
constexpr auto kPatience = std::chrono::seconds(20);
}

void SampleRecorder::Receive(const std::uint8_t* buffer, std::int32_t& length) {
    std::lock_guard lock(mutex_);
    samples_.push_back({length, length > 0 && buffer ? buffer[0] : std::uint8_t{0}});
    arrived_.notify_all();
}

bool SampleRecorder::WaitForSamples(std::size_t count) {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, kPatience, [&] { return samples_.size() >= count; });
}

bool SampleRecorder::WaitForLength(std::int32_t length) {
    std::unique_lock lock(mutex_);
    const std::size_t from = samples_.size();
    return arrived_.wait_for(lock, kPatience, [&] {
        for (std::size_t i = from; i < samples_.size(); ++i)
            if (samples_[i].length == length)
                return true;
        return false;
    });
}

std::size_t SampleRecorder::Count() const {
    std::lock_guard lock(mutex_);
    return samples_.size();
}

std::vector<SampleRecorder::Sample> SampleRecorder::Samples() const {
    std::lock_guard lock(mutex_);
    return samples_;
}

} // namespace kamsel::capture::test

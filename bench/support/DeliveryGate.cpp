#include "DeliveryGate.h"

namespace kamsel::bench {

void DeliveryGate::Deliver(const std::uint8_t* buffer, std::int32_t& length) {
    {
        std::unique_lock lock(mutex_);
        if (!taken_.wait_for(lock, kPatience, [this] { return !inFlight_ || open_; }))
            ++stalls_;
        inFlight_ = !open_;
    }
    const std::int32_t skippedBefore = video_.SkippedFrames.load();
    video_.SampleArrived(buffer, length);
    // A sample the facade dropped posts no message, so nothing will take it.
    if (video_.SkippedFrames.load() != skippedBefore) {
        const std::lock_guard lock(mutex_);
        inFlight_ = false;
    }
}

void DeliveryGate::Taken() {
    {
        const std::lock_guard lock(mutex_);
        inFlight_ = false;
    }
    taken_.notify_one();
}

void DeliveryGate::Open() {
    {
        const std::lock_guard lock(mutex_);
        open_ = true;
        inFlight_ = false;
    }
    taken_.notify_one();
}

std::int64_t DeliveryGate::Stalls() const {
    const std::lock_guard lock(mutex_);
    return stalls_;
}

} // namespace kamsel::bench

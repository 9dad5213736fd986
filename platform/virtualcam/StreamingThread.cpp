#include "platform/virtualcam/StreamingThread.h"

namespace kamsel::virtualcam {

StreamingThread::~StreamingThread() {
    Stop();
}

void StreamingThread::Start(std::chrono::nanoseconds interval, Step step) {
    {
        std::lock_guard lock(mutex_);
        stopping_ = false;
    }
    thread_ = std::thread([this, interval, step = std::move(step)] { Run(interval, step); });
}

void StreamingThread::Stop() {
    if (!thread_.joinable())
        return;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void StreamingThread::Run(std::chrono::nanoseconds interval, const Step& step) {
    using Clock = std::chrono::steady_clock;
    auto due = Clock::now();
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            if (wake_.wait_until(lock, due, [this] { return stopping_; }))
                return;
        }
        if (!step())
            return;
        due += interval;
        const auto now = Clock::now();
        if (now - due > interval)
            due = now;
    }
}

} // namespace kamsel::virtualcam

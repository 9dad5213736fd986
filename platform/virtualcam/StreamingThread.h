#pragma once
// The streaming thread of a virtual camera: calls a step function once per
// frame interval, on a schedule kept with the steady clock, until stopped.
//
// Threads: Start and Stop are called from the device's owning thread; the
// step runs on the streaming thread. Stop wakes a waiting thread at once, so it
// returns after at most the step in progress.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace kamsel::virtualcam {

class StreamingThread {
  public:
    // Returns true to go on, false to end the stream (the thread then ends on
    // its own; Stop still joins it).
    using Step = std::function<bool()>;

    StreamingThread() = default;
    ~StreamingThread();
    StreamingThread(const StreamingThread&) = delete;
    StreamingThread& operator=(const StreamingThread&) = delete;

    // Runs `step` at once and then every `interval`. Only when not started;
    // throws std::system_error when no thread can be created. When a step runs
    // late by more than an interval, the schedule restarts from the present
    // instead of delivering the missed frames in a burst.
    void Start(std::chrono::nanoseconds interval, Step step);
    // Ends the thread and joins it; no step runs after it returns. Harmless
    // when not started.
    void Stop();
    // Started and not yet stopped (the thread may have ended on its own).
    bool Started() const { return thread_.joinable(); }

  private:
    void Run(std::chrono::nanoseconds interval, const Step& step);

    // mutex_ guards stopping_, which Stop sets on the owning thread; wake_
    // (with mutex_) cuts the streaming thread's wait for the next frame time
    // short. A plain std::mutex, as the condition variable needs one.
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace kamsel::virtualcam

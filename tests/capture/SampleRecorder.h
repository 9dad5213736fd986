#pragma once
// A registered sample procedure that records what reaches it: the byte count
// and first byte of every sample, in order. Receive runs on the streaming
// thread; everything else on the test's thread.

#include "capture/TSampleCallBack.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace kamsel::capture::test {

class SampleRecorder {
  public:
    struct Sample {
        std::int32_t length = 0;
        std::uint8_t firstByte = 0;
    };

    void Receive(const std::uint8_t* buffer, std::int32_t& length);
    TSampleCallBack CallBack() { return TSampleCallBack::Bind<&SampleRecorder::Receive>(this); }

    // Waits (at most a generous while, so a broken stream fails instead of
    // hanging) until count samples have arrived in all; false if they did not.
    bool WaitForSamples(std::size_t count);
    // Waits for one more sample than have arrived so far.
    bool WaitForNextSample() { return WaitForSamples(Count() + 1); }
    // Waits for a sample of the given length after those that arrived so far.
    bool WaitForLength(std::int32_t length);

    std::size_t Count() const;
    std::vector<Sample> Samples() const;

  private:
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<Sample> samples_; // guarded by mutex_
};

} // namespace kamsel::capture::test

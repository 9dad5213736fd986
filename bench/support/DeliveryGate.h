#pragma once
// DeliveryGate: makes a free-running camera deliver as fast as the pipeline
// takes its frames. Registered as the capture object's sample procedure in
// place of the facade's, it hands each sample on to the facade's
// SampleArrived, and before handing on the next it waits on the streaming
// thread until the user-interface thread has taken the previous one (handled
// its frame message and gone idle, so the picture is painted too). The camera
// renders its next frame meanwhile; the user-interface thread never waits for
// more than the rest of that rendering, and no sample is dropped for want of
// a free slot or an idle thread.
//
// Blocking the streaming thread is the point here; the program's own
// procedure never does.
//
// Threads: Deliver on the streaming thread; Taken, Open and the counts on the
// user-interface thread.

#include "capture/TSampleCallBack.h"
#include "frames/TVideoImage.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace kamsel::bench {

class DeliveryGate {
  public:
    // video must outlive the gate's registration.
    explicit DeliveryGate(frames::TVideoImage& video) : video_(video) {}

    capture::TSampleCallBack CallBack() {
        return capture::TSampleCallBack::Bind<&DeliveryGate::Deliver>(this);
    }

    // The sample handed on last has been taken.
    void Taken();
    // Lets every sample through without waiting, for stopping the camera.
    void Open();
    // Samples that waited for longer than the patience below: the
    // user-interface thread did not take the previous one in time.
    std::int64_t Stalls() const;

  private:
    void Deliver(const std::uint8_t* buffer, std::int32_t& length);

    static constexpr auto kPatience = std::chrono::seconds(2);

    frames::TVideoImage& video_;
    mutable std::mutex mutex_;
    std::condition_variable taken_;
    bool inFlight_ = false;
    bool open_ = false;
    std::int64_t stalls_ = 0;
};

} // namespace kamsel::bench

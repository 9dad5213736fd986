#pragma once
// A test camera: what a test sets up and observes of one device, shared by
// every device object the registry makes for it (one per enumeration).
//
// Set-up (modes, controls, faults, errors) and observation run on the test's
// thread; frames pushed with PushFrame are delivered by the streaming thread of
// the device object that streams. All members are thread-safe.
//
// Faults: SetFault(point, status) makes the layer answer that step with
// status (see FaultPoint); with an index, only for that capability index or
// property number. Device-level failures (open, start, set mode, controls) are
// set with the Set*Error members and travel as the device's own errors.

#include "platform/dshow/DeviceFaults.h"
#include "platform/media/VideoDevice.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kamsel::dshow::fake {

class FakeCamera final : public DeviceFaults {
  public:
    static constexpr int kAnyIndex = -1;

    // A camera with three modes (YUY2 640x480 in force, MJPG 640x480 in a
    // larger buffer, YUY2 320x240), Brightness (manual) and WhiteBalance and
    // Gain (automatic or manual), and four device controls.
    explicit FakeCamera(std::string name);

    // Set-up.
    void SetModes(std::vector<media::VideoMode> modes, std::size_t current = 0);
    // Makes one of the ten controls supported, with its range and state.
    void SetImageControl(media::ImageControl control, media::ImageControlRange range, std::int32_t value,
                         std::int32_t flags);
    void RemoveImageControls();
    void SetDeviceControls(std::vector<media::DeviceControl> controls);
    // As a driver ties a manual value to its automatic mode: the device
    // control id is listed inactive while the control switchId is not 0.
    void SetInactiveWhileOn(std::uint32_t id, std::uint32_t switchId);
    void SetFault(FaultPoint point, com::HRESULT status, int index = kAnyIndex);
    void ClearFault(FaultPoint point, int index = kAnyIndex);
    void SetFormatType(const com::GUID& formatType);
    // Errno-style (negative) errors of the device's own calls; 0 for none.
    void SetOpenError(int error);
    void SetStartError(int error);
    void SetModeError(int error);

    // Streaming: frames are delivered in order by the streaming thread; used
    // bytes are the frame's, the buffer has capacity bytes (at least used).
    void PushFrame(std::vector<std::uint8_t> frame, std::size_t capacity);
    // A frame whose used bytes are reported as used, whatever the buffer's
    // size: a driver that claims more data than its buffer holds.
    void PushMisreportedFrame(std::vector<std::uint8_t> buffer, std::size_t used);
    // Delivers the frame again and again while streaming, after queued frames.
    void StreamContinuously(std::vector<std::uint8_t> frame, std::size_t capacity);
    // The stream ends with this error after the queued frames (as if unplugged).
    void EndStream(int error);
    // Waits until the device streams (true) or the timeout passes (false).
    bool WaitUntilStreaming(std::chrono::milliseconds timeout);

    // Observation.
    std::string Name() const { return name_; }
    bool Streaming() const;
    int OpenCount() const { return opens_.load(); }
    int StartCount() const { return starts_.load(); }
    long DeliveredFrames() const { return delivered_.load(); }
    media::VideoMode CurrentMode() const;
    std::optional<std::pair<std::int32_t, std::int32_t>> ControlSetting(media::ImageControl control) const;
    std::int32_t DeviceControlValue(std::uint32_t id) const;
    // Device objects of this camera alive now.
    int LiveDevices() const { return liveDevices_.load(); }

    // DeviceFaults
    com::HRESULT StatusAt(FaultPoint point, int index) const override;
    com::GUID FormatType() const override;

  private:
    friend class FakeVideoDevice;

    struct ImageControlState {
        media::ImageControlRange range;
        std::int32_t value = 0;
        std::int32_t flags = 0;
    };
    struct Frame {
        std::vector<std::uint8_t> buffer; // capacity bytes
        std::size_t used = 0;
    };
    // One step of the streaming thread: a frame, the stream's end, or stop.
    struct StreamEvent {
        enum class Kind { Frame, End, Stop } kind = Kind::Stop;
        Frame frame;
        int error = 0;
    };

    // For FakeVideoDevice.
    media::DeviceStatus Open();
    std::vector<media::VideoMode> Modes() const;
    media::DeviceStatus SetMode(const media::VideoMode& mode);
    media::DeviceStatus BeginStreaming();
    StreamEvent NextEvent();
    void RequestStop();
    void EndStreaming();
    void CountDelivered() { delivered_.fetch_add(1); }
    media::DeviceStatus GetImageControlRange(media::ImageControl control,
                                             media::ImageControlRange& range) const;
    media::DeviceStatus GetImageControl(media::ImageControl control, std::int32_t& value,
                                        std::int32_t& flags) const;
    media::DeviceStatus SetImageControl(media::ImageControl control, std::int32_t value, std::int32_t flags);
    std::vector<media::DeviceControl> Controls() const;
    media::DeviceStatus GetControl(std::uint32_t id, std::int32_t& value) const;
    media::DeviceStatus SetControl(std::uint32_t id, std::int32_t value);
    void DeviceCreated() { liveDevices_.fetch_add(1); }
    void DeviceDestroyed() { liveDevices_.fetch_sub(1); }

    const std::string name_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<media::VideoMode> modes_;                       // guarded by mutex_
    media::VideoMode current_;                                  // guarded by mutex_
    std::map<int, ImageControlState> imageControls_;            // guarded by mutex_
    std::vector<media::DeviceControl> deviceControls_;          // guarded by mutex_
    std::map<std::uint32_t, std::int32_t> deviceValues_;        // guarded by mutex_
    std::map<std::uint32_t, std::uint32_t> inactiveWhileOn_;    // guarded by mutex_
    std::map<std::pair<FaultPoint, int>, com::HRESULT> faults_; // guarded by mutex_
    com::GUID formatType_;                                      // guarded by mutex_
    int openError_ = 0, startError_ = 0, modeError_ = 0;        // guarded by mutex_
    std::deque<StreamEvent> queue_;                             // guarded by mutex_
    std::optional<Frame> continuous_;                           // guarded by mutex_
    bool streaming_ = false;                                    // guarded by mutex_
    bool stopRequested_ = false;                                // guarded by mutex_
    std::atomic<int> opens_{0};
    std::atomic<int> starts_{0};
    std::atomic<long> delivered_{0};
    std::atomic<int> liveDevices_{0};
};

} // namespace kamsel::dshow::fake

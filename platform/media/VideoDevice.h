#pragma once
// The source side of the capture layer: a video device the capture filter
// streams from. Real cameras (V4L2), virtual cameras (pattern, video files) and
// test fakes implement this one interface; the COM-compatible capture filter is
// written once on top of it.
//
// Threads: every member runs on the thread that owns the device (the user
// interface thread in the program), except FrameSink's callbacks, which run on
// the device's own streaming thread.

#include "FourCC.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kamsel::media {

// A failure from a device: a negative errno-style code (or 0) and a message
// that names the device or file and the system's reason.
struct DeviceStatus {
    int error = 0;
    std::string message;

    bool Ok() const { return error == 0; }
    static DeviceStatus Success() { return {}; }
};

// One stream format a device can deliver.
struct VideoMode {
    std::uint32_t fourcc = 0; // kFourCCRgb24 for RGB24
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t bitCount = 0;        // bits per pixel as a BITMAPINFOHEADER states it
    std::uint32_t sampleSize = 0;      // bytes of one frame buffer (the buffer capacity for MJPG)
    std::int64_t frameInterval = 0;    // 100 ns units; 333333 for 30 frames per second
    std::int64_t minFrameInterval = 0; // range the device accepts, for the stream dialog
    std::int64_t maxFrameInterval = 0;

    friend bool operator==(const VideoMode&, const VideoMode&) = default;
};

// Receives frames on the streaming thread. `data` is only valid during the
// call: it points at the device's buffer of `capacity` bytes, of which the first
// `bytesUsed` hold the frame (fewer for compressed frames).
class FrameSink {
  public:
    virtual void OnFrame(const std::uint8_t* data, std::size_t capacity, std::size_t bytesUsed) = 0;
    // The stream ended on its own (device unplugged, file unreadable). Called at
    // most once per StartStreaming, on the streaming thread; no frame follows.
    virtual void OnStreamEnded(const DeviceStatus& why) = 0;

  protected:
    ~FrameSink() = default;
};

// The ten image controls, numbered as the platform's VideoProcAmp properties.
enum class ImageControl : int {
    Brightness = 0,
    Contrast = 1,
    Hue = 2,
    Saturation = 3,
    Sharpness = 4,
    Gamma = 5,
    ColorEnable = 6,
    WhiteBalance = 7,
    BacklightCompensation = 8,
    Gain = 9,
};
constexpr int kImageControlCount = 10;

// Flags of an image control, as the platform numbers them.
constexpr std::int32_t kControlFlagsAuto = 1;
constexpr std::int32_t kControlFlagsManual = 2;

struct ImageControlRange {
    std::int32_t min = 0;
    std::int32_t max = 0;
    std::int32_t step = 1;
    std::int32_t defaultValue = 0;
    std::int32_t capsFlags = kControlFlagsManual; // kControlFlagsAuto added when an automatic mode exists
};

// Any control the device offers, for the device's own property dialog.
struct DeviceControl {
    enum class Kind { Integer, Boolean, Menu, Button };
    std::uint32_t id = 0;
    std::string name;
    Kind kind = Kind::Integer;
    std::int32_t min = 0;
    std::int32_t max = 0;
    std::int32_t step = 1;
    std::int32_t defaultValue = 0;
    std::vector<std::pair<std::int32_t, std::string>> menuItems; // value, label
    bool readOnly = false;
    bool inactive = false; // e.g. a manual value while its automatic mode is on
};

class VideoDevice {
  public:
    virtual ~VideoDevice() = default;

    // The name shown to users, as the device reports it (bytes, not necessarily UTF-8).
    virtual std::string FriendlyName() const = 0;
    // Where the device lives, for messages ("/dev/video0", a file path, "pattern").
    virtual std::string Location() const = 0;

    // Opens the device for use; the other members below need an open device.
    virtual DeviceStatus Open() = 0;

    virtual std::vector<VideoMode> Modes() = 0;
    virtual VideoMode CurrentMode() = 0;
    // Only while not streaming.
    virtual DeviceStatus SetMode(const VideoMode& mode) = 0;

    // Starts the streaming thread, which calls sink until StopStreaming. The
    // sink must outlive the stream.
    virtual DeviceStatus StartStreaming(FrameSink& sink) = 0;
    // Returns when the streaming thread has ended: no call into the sink follows.
    // Harmless when not streaming.
    virtual void StopStreaming() = 0;

    // Image controls; an unsupported control answers with an error (-EINVAL).
    virtual DeviceStatus GetImageControlRange(ImageControl control, ImageControlRange& range) = 0;
    virtual DeviceStatus GetImageControl(ImageControl control, std::int32_t& value, std::int32_t& flags) = 0;
    virtual DeviceStatus SetImageControl(ImageControl control, std::int32_t value, std::int32_t flags) = 0;

    // Every control the device offers.
    virtual std::vector<DeviceControl> Controls() = 0;
    virtual DeviceStatus GetControl(std::uint32_t id, std::int32_t& value) = 0;
    virtual DeviceStatus SetControl(std::uint32_t id, std::int32_t value) = 0;
};

// Lists the devices of one source (V4L2 nodes, virtual cameras, fakes), in a
// stable order. Devices are created unopened.
class VideoDeviceSource {
  public:
    virtual ~VideoDeviceSource() = default;
    virtual std::vector<std::unique_ptr<VideoDevice>> Enumerate() = 0;
};

} // namespace kamsel::media

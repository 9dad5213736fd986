#pragma once
// TVideoImage: the frame facade between one capture object and one camera
// pane. It starts and stops the capture object, takes each sample from the
// capture streaming thread into a ring of three slots, and decodes the newest
// sample into a 24-bit bitmap of the current video size by the stream's pixel
// format:
//
//   0 (uncompressed RGB)     rows of W * 3 bytes blue, green, red, bottom row first
//   "I420", "IYUV", "YV12"  planar 4:2:0 (YV12 with V before U)
//   "YUY2", "YUNV", "YUYV"  packed 4:2:2, y0 u y1 v
//   "MJPG"                   one JPEG image per sample: through the GDI+ binding
//                            (UGDIPlus.h) when its module is loaded, taking the
//                            image's size; else with JpegImage, drawn at (0, 0)
//
// A sample that does not fit its format, or an unknown format, gives two lines
// of text in the bitmap instead of a picture: "Unknown compression" and the
// data size with the format's name.
//
// Threads and ownership: the capture streaming thread runs SampleArrived only
// and meets the rest through the ring's atomics (CurrentSlot, SlotReaders) and
// the atomic counters. Everything else runs on the user-interface thread, which
// must be the application's main thread and the thread that constructs and
// destroys the facade; it owns the capture object, the bitmap and the
// decoders. The pane is the only client; tests reach internals through
// TVideoImageTestPeer (tests/frames).

#include "frames/Bitmap24.h"
#include "frames/JpegImage.h"
#include "frames/MemoryStream.h"
#include "platform/media/FourCC.h"

#include <QEvent>
#include <QStringList>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

namespace kamsel::system {
class TickSource;
}
namespace kamsel::capture {
class TVideoSample;
}
namespace kamsel::media {
class YuvConverter;
}
namespace kamsel::frames {
class ExceptionHandler;
class FrameMessageWindow;
class GraphEventWindow;
class IdleNotifier;
class TVideoImageTestPeer;
} // namespace kamsel::frames

namespace kamsel::frames {

using media::FourCC;

class TVideoImage {
  public:
    // The client's frame procedure, called on the user-interface thread for
    // each handled frame message with (this facade, VideoWidth, VideoHeight,
    // the raw bytes of the newest slot in the camera's format). Buffer is valid
    // only during the call and may be null before the first sample.
    using TFrameCallback = std::function<void(TVideoImage& Sender, std::int32_t Width, std::int32_t Height,
                                              const std::uint8_t* Buffer)>;
    // The client's procedure for a stream that ended on its own (the device
    // went away, failed or ran out), called on the user-interface thread once
    // the capture object is freed, with the reason in words that name the
    // device. VideoStop, VideoPause and failed starts never call it.
    using TStreamEndCallback = std::function<void(TVideoImage& Sender, const QString& Reason)>;

    // What the facade takes from its surroundings; tests replace them.
    struct Services {
        const system::TickSource* Ticks; // millisecond ticks; must outlive the facade
        ExceptionHandler* Exceptions;    // reports errors raised while a frame is handled
        Services();                      // the system ticks and the application's handler
    };

    // Number of the private frame message.
    static constexpr QEvent::Type FrameMessage = QEvent::Type(1686);
    // Saturation of a scaled sum; entry k (-1023..1023) is ClipTable[k + kClipZero].
    static constexpr int kClipZero = 1023;

    TVideoImage();
    explicit TVideoImage(const Services& services);
    ~TVideoImage();
    TVideoImage(const TVideoImage&) = delete;
    TVideoImage& operator=(const TVideoImage&) = delete;

    // ---- read by the client ----

    // Current video size and pixel format code (0: uncompressed RGB).
    std::int32_t VideoWidth = 0;
    std::int32_t VideoHeight = 0;
    std::uint32_t VideoFourCC = 0;
    // Samples dropped because the user interface was busy or both free slots
    // were in use, plus frame messages dropped because one was being handled.
    std::atomic<std::int32_t> SkippedFrames{0};
    // Arrival rate of samples, measured over windows of 30 samples.
    std::atomic<double> FramesPerSecond{0.0};
    // Set once after construction, before capture starts.
    TFrameCallback FrameCallback;
    TStreamEndCallback StreamEndCallback;

    // ---- capture ----

    // Starts capture on the named device ("#" and the list position, or a
    // friendly name): 0 = running, 1 = failed (whatever failed; the capture
    // object is gone again then). A running capture is stopped first.
    std::int32_t VideoStart(const QString& DeviceName);
    // Frees the capture object; when it returns, no sample can arrive any more.
    // FramesPerSecond becomes 0. Slots, the bitmap and FrameCallback stay, so
    // a frame message still queued shows the last sample.
    void VideoStop();
    // Pause and resume a running capture object; nothing without one.
    void VideoPause();
    void VideoResume();
    // A capture object exists (started and not stopped since, paused or not).
    bool IsCapturing() const;
    // A capture object exists and is paused.
    bool IsPaused() const;

    // The names of the video capture devices, in the platform's order; needs
    // no capture object.
    void GetListOfDevices(QStringList& List);
    // One line per video size of the running device ("640*480  (YUY2)"); the
    // list is left alone without a capture object.
    void GetListOfSupportedVideoSizes(QStringList& List);
    // Applies line Index of the size list and reads the format again; when the
    // format cannot be read, the old size stays and capture goes on.
    void SetResolutionByIndex(std::int32_t Index);
    // The device's own property dialog (modal); capture goes on meanwhile.
    void ShowProperty();
    // The stream format dialog (modal), then the format is read again; when it
    // cannot be read, capture stops.
    void ShowProperty_Stream();
    // Reads image control Index (0 to 9). Without a capture object, for
    // another index, for a device without image controls or when the query
    // fails, Min -1, Max -1, Step 0, Default 0, Value 0 and Manual true come
    // back. Returns the capture object's status, or 1 when there was none.
    std::int32_t GetVideoPropertySettings(std::int32_t Index, std::int32_t& Min, std::int32_t& Max,
                                          std::int32_t& Step, std::int32_t& Default, std::int32_t& Value,
                                          bool& Manual);
    // Sets image control Index (0 to 9), manual (2) or automatic (1). Returns
    // the capture object's status; 1 without one or for another index.
    std::int32_t SetVideoProperty(std::int32_t Index, std::int32_t Value, bool Manual);
    // Maps a control index to the capture object's control number: 0 to 9
    // map to themselves (result 0), anything else gives result 1.
    static std::int32_t VideoPropertyIndex(std::int32_t index, std::int32_t& control);

    // ---- frames ----

    // Where PaintFrame draws; not owned; null = no drawing.
    void SetDisplayCanvas(Canvas* canvas);
    // Decodes the newest slot if needed and draws the bitmap at (0, 0) on the
    // display canvas; nothing without a canvas, no drawing while it is locked.
    void PaintFrame();
    // Decodes the newest slot if needed and copies the bitmap (size, pixel
    // format, pixels) into target.
    void GetBitmap(Bitmap24& target);

    // Decodes Length bytes at Buffer by VideoFourCC into the bitmap, or writes
    // the failure text, then marks the frame decoded. A null Buffer does
    // nothing. Buffer is only read, and only within Length bytes; it must stay
    // valid for the call. Errors other than undecodable data (out of memory)
    // are logged and leave the frame undecoded, so the slot is tried again.
    void UnpackFrame(std::int32_t Length, const std::uint8_t* Buffer);
    // Builds the colour tables on the first call; later calls return at once.
    void InitYUVTables();
    // Convert a planar 4:2:0 / packed 4:2:2 sample into the bitmap at its
    // current size. Buffer must hold the bytes that size and VideoFourCC
    // address; UnpackFrame checks this before calling them.
    void I420ToBitmap(const std::uint8_t* Buffer);
    void YUY2ToBitmap(const std::uint8_t* Buffer);

    // ---- entry points of the surroundings ----

    // Producer entry point, on the capture streaming thread: counts the sample
    // for the rate, drops it while the user interface is busy, else copies it
    // into the ring and posts one frame message. Buffer holds Length bytes and
    // is read only during the call. One producer at a time. Never throws.
    void SampleArrived(const std::uint8_t* Buffer, const std::int32_t& Length) noexcept;
    // Procedure of MessageWindow: handles the frame message; other events go to
    // the window's default handling. Returns whether the event was handled.
    bool WndProc(QEvent& message);
    // Handler of the idle notification: records the tick; done = true.
    void AppIdle(bool& done);
    // Procedure of EventWindow: takes the capture object's queued graph
    // events; when one says the stream ended, stops capture (VideoStop) and
    // calls StreamEndCallback. The streaming thread only queues and posts, so
    // the stop runs here, on the thread that owns the capture object.
    void HandleGraphEvents();

  private:
    friend class TVideoImageTestPeer;
    class SlotPin;
    friend class SlotPin;

    // Each returns false when the sample does not fit the format.
    bool UnpackRgb(std::int64_t length, const std::uint8_t* buffer);
    bool UnpackPlanar(std::int64_t length, const std::uint8_t* buffer);
    bool UnpackPacked(std::int64_t length, const std::uint8_t* buffer);
    bool UnpackCompressed(std::int32_t length, const std::uint8_t* buffer);
    // Makes FrameBitmap a 24-bit bitmap of the video size before raw pixels go in.
    void FitBitmapToVideo();
    void WriteFailureText(std::int32_t length);
    // The converter over the colour tables, set up (the tables built, the
    // kernel chosen and the tables compared with the standard ones) with the
    // first YUV frame, not for every frame. The tables are not changed after.
    const media::YuvConverter& YuvRows();
    std::unique_ptr<const media::YuvConverter> yuvRows_;

    // Pins the newest slot for reading until the pin goes.
    SlotPin PinNewestSlot();
    // Decodes the pinned newest slot into FrameBitmap unless it is already.
    void DecodeNewestSlot();
    void HandleFrameMessage();
    // Takes over a format read from the capture object and sizes FrameBitmap.
    void ApplyVideoFormat(std::int32_t width, std::int32_t height, std::uint32_t fourcc);
    // Registers SampleArrived with the capture object.
    void RegisterSampleProcedure();
    void MeasureRate(std::uint32_t now) noexcept;
    bool UserInterfaceBusy(std::uint32_t now) const noexcept;
    // The slot the next sample goes to, or -1 when both candidates are pinned.
    int ChooseProducerSlot() const noexcept;
    // Copies the sample into the slot; false when no block could be had.
    bool StoreSample(int slot, const std::uint8_t* buffer, std::int32_t length) noexcept;

    const system::TickSource& Ticks;
    ExceptionHandler& Exceptions;

    // ---- decoding (user-interface thread) ----

    // Destination of every decode.
    Bitmap24 FrameBitmap;
    // BT.601 studio-range terms scaled by 256 (see platform/media/YuvConverter.h).
    std::array<std::int32_t, 256> TableY{};
    std::array<std::int32_t, 256> TableUG{};
    std::array<std::int32_t, 256> TableUB{};
    std::array<std::int32_t, 256> TableVR{};
    std::array<std::int32_t, 256> TableVG{};
    std::array<std::uint8_t, 2047> ClipTable{};
    bool TablesReady = false;
    // Decoder and stream for compressed frames, reused for every frame.
    frames::JpegImage JpegImage;
    MemoryStream JpegStream;
    // The newest slot has been decoded into FrameBitmap.
    bool FrameDecoded = false;
    // Where PaintFrame draws; not owned; null = no drawing.
    Canvas* DisplayCanvas = nullptr;

    // ---- hand-off (both threads, as noted at each field) ----

    // Set while the frame message is handled (user-interface thread only).
    bool FrameBusy = false;
    // Samples that arrived since the last VideoStart, dropped ones included.
    std::atomic<std::int32_t> FrameCount{0};
    // Tick of the last rate measurement; 0 = none yet (streaming thread).
    std::atomic<std::uint32_t> RateTick{0};
    // The hand-off ring. The streaming thread copies each accepted sample into
    // the slot after CurrentSlot and then publishes it in CurrentSlot; the
    // user-interface thread reads only the slot it has pinned as the newest
    // (PaintFrame, GetBitmap, the frame procedure's Buffer). The producer
    // never writes or reallocates a pinned slot: when the slot after
    // CurrentSlot is pinned it takes the one after that, and when that one is
    // pinned too it drops the sample and counts it in SkippedFrames. A slot's
    // block is reallocated only when the sample length changes; SlotSize is
    // the length of the sample last copied into it (0 = no block).
    std::array<std::unique_ptr<std::uint8_t[]>, 3> SlotBuffer;
    std::array<std::int32_t, 3> SlotSize{};
    // Slot holding the newest sample; 0 at construction.
    std::atomic<std::int32_t> CurrentSlot{0};
    // Pins held by the user-interface thread on each slot.
    std::array<std::atomic<int>, 3> SlotReaders{};
    // Serial number of the sample in each slot (0 = none), written with the
    // slot; the serial of the last stored sample (streaming thread only); the
    // serial of the sample FrameBitmap shows (user-interface thread only).
    std::array<std::uint64_t, 3> SlotSerial{};
    std::uint64_t LastSerial = 0;
    std::uint64_t DecodedSerial = 0;
    // Tick of the last idle notification; 0 at construction.
    std::atomic<std::uint32_t> IdleTick{0};

    // ---- surroundings (user-interface thread) ----

    // Hidden window whose procedure is WndProc.
    std::unique_ptr<FrameMessageWindow> MessageWindow;
    // The application's idle notification, delivered to AppIdle.
    std::unique_ptr<IdleNotifier> IdleEvents;
    // Receives the capture graph's event notifications; none outside a widget
    // application, where a stream's end is only logged.
    std::unique_ptr<GraphEventWindow> EventWindow;
    // Capture object of the running camera; none while stopped. Created by
    // each VideoStart, destroyed by each VideoStop.
    std::unique_ptr<capture::TVideoSample> VideoSample;
};

using TFrameCallback = TVideoImage::TFrameCallback;

// Sets name to the name of image control index ("Brightness" ... "Gain");
// leaves it unchanged for an index outside 0 to 9.
void GetVideoPropertyName(std::int32_t index, QString& name);

} // namespace kamsel::frames

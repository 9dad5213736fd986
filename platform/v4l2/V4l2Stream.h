#pragma once
// One run of a V4L2 capture node: its mapped buffers and its streaming thread.
//
// Threads: Start and Stop run on the device's owning thread. The streaming
// thread waits for the driver (polling with a timeout, and on a wake-up
// descriptor that Stop signals, so a camera that stops sending never holds up
// Stop), passes each frame to the sink and gives the buffer back. A camera
// that stays silent for ten waits in a row ends the stream, as a camera that
// has stopped for that long will not start again by itself. The sink's frame
// data is the mapped driver buffer itself, valid only during OnFrame, except
// where the layout must change: BGR24 frames are copied bottom-up, and frames
// whose rows the driver pads are copied with packed rows. Uncompressed frames
// are handed on with their packed length, whatever the driver states beyond.

#include "BottomUpFrame.h"
#include "MappedBuffers.h"
#include "PackedFrame.h"
#include "UniqueFd.h"
#include "V4l2Io.h"
#include "platform/media/VideoDevice.h"

#include <linux/videodev2.h>

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>

namespace kamsel::v4l2 {

class V4l2Stream {
  public:
    // fd is an open capture node at path; io, sink and dropped outlive this.
    // dropped counts frames the driver returned but that were not passed on.
    V4l2Stream(V4l2Io& io, int fd, std::string path, media::FrameSink& sink,
               std::atomic<std::uint64_t>& dropped);
    V4l2Stream(const V4l2Stream&) = delete;
    V4l2Stream& operator=(const V4l2Stream&) = delete;
    ~V4l2Stream() { Stop(); }

    // Maps buffers, starts the driver and the streaming thread, for frames of
    // format (the format in force). On failure everything taken is given back.
    media::DeviceStatus Start(const v4l2_pix_format& format);
    // Wakes and joins the streaming thread, stops the driver, unmaps and frees
    // the buffers. Harmless when already stopped.
    void Stop();
    // The streaming thread ended on its own (and told the sink why).
    bool Ended() const { return ended_.load(); }

  private:
    media::DeviceStatus PrepareBottomUp(const v4l2_pix_format& format);
    media::DeviceStatus PreparePacked(const v4l2_pix_format& format);
    media::DeviceStatus NoFrameBuffer() const;
    media::DeviceStatus StartThread();
    media::DeviceStatus QueueAll();
    void Run();
    bool Cycle();
    bool TakeFrame(short events);
    void Deliver(const v4l2_buffer& buffer);
    void DeliverPacked(const UniqueMapping& mapping, std::size_t bytesUsed);
    bool Fail(const media::DeviceStatus& why);

    V4l2Io& io_;
    int fd_;
    std::string path_;
    media::FrameSink& sink_;
    std::atomic<std::uint64_t>& dropped_;
    std::optional<BottomUpFrame> bottomUp_;
    std::optional<PackedFrame> packed_;
    int silentPolls_ = 0; // streaming thread only
    MappedBuffers buffers_;
    UniqueFd wake_;
    bool streaming_ = false;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> ended_{false};
    std::thread thread_;
};

} // namespace kamsel::v4l2

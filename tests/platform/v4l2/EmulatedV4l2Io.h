#pragma once
// An emulated V4L2 kernel behind the V4l2Io seam: capture nodes with formats,
// frame sizes and intervals, controls (with automatic variants), mmap buffers
// in ordinary memory, and a script of what each dequeue yields: frames of a
// chosen length, errors, an unplug. Thread-safe, like the kernel: the
// streaming thread and the test thread call it at once.

#include "platform/v4l2/V4l2Io.h"

#include <linux/videodev2.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace kamsel::v4l2::testing {

struct EmulatedSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<v4l2_fract> intervals; // discrete, in the driver's order
};

struct EmulatedFormat {
    std::uint32_t pixelFormat = 0;
    std::uint32_t flags = 0;         // V4L2_FMT_FLAG_COMPRESSED
    std::vector<EmulatedSize> sizes; // discrete sizes; none and no range: the driver lists no sizes
    std::optional<v4l2_frmsize_stepwise> sizeRange;
    std::optional<v4l2_frmival_stepwise> intervalRange; // for every size of a range
};

struct EmulatedControl {
    std::uint32_t id = 0;
    std::uint32_t type = V4L2_CTRL_TYPE_INTEGER;
    std::string name;
    std::int64_t min = 0;
    std::int64_t max = 0;
    std::uint64_t step = 1;
    std::int64_t defaultValue = 0;
    std::uint32_t flags = 0;
    std::int32_t value = 0;
    std::uint32_t automaticId = 0; // while that control is on, this one is inactive and refuses values
    std::map<std::uint32_t, std::string> menu;     // index -> label (gaps allowed)
    std::map<std::uint32_t, std::int64_t> numbers; // index -> value, for integer menus
};

// What one dequeue yields; Silence is one wait that times out instead, and
// ErrorState puts the queue into the state some drivers end in without a
// frame to show: poll answers POLLERR and dequeue EAGAIN, from then on.
struct FrameEvent {
    enum class Kind { Frame, Error, Unplug, Silence, ErrorState };
    Kind kind = Kind::Frame;
    std::uint32_t bytesUsed = 0;
    std::uint32_t flags = 0;
    int error = 0;
    // Written to the start of the buffer (as much as fits); empty: bytesUsed
    // bytes of the frame's sequence number. The rest of the buffer keeps
    // what earlier frames left there.
    std::vector<std::uint8_t> content;

    static FrameEvent Frame(std::uint32_t bytesUsed, std::uint32_t flags = 0) {
        return {Kind::Frame, bytesUsed, flags, 0, {}};
    }
    static FrameEvent Content(std::vector<std::uint8_t> bytes) {
        const auto size = static_cast<std::uint32_t>(bytes.size());
        return {Kind::Frame, size, 0, 0, std::move(bytes)};
    }
    static FrameEvent Fail(int error) { return {Kind::Error, 0, 0, error, {}}; }
    static FrameEvent Unplug() { return {Kind::Unplug, 0, 0, 0, {}}; }
    static FrameEvent Silence() { return {Kind::Silence, 0, 0, 0, {}}; }
    static FrameEvent ErrorState() { return {Kind::ErrorState, 0, 0, 0, {}}; }
};

struct EmulatedCamera {
    std::string card = "Emulated Camera";
    std::uint32_t capabilities = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING | V4L2_CAP_DEVICE_CAPS;
    std::uint32_t deviceCaps = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;
    int openError = 0; // -errno that Open answers with
    std::vector<EmulatedFormat> formats;
    std::vector<EmulatedControl> controls;
    bool rateSettable = true;
    std::uint32_t rowPadding = 0;       // bytes added to each row of uncompressed formats
    std::optional<std::uint32_t> grant; // buffers granted whatever is asked
    std::deque<FrameEvent> script;
};

// A camera like a common USB one: YUYV 640x480 (30, 15 fps), 320x240 (30),
// 1280x720 (10); MJPG 640x480, 1280x720, 1920x1080 (30, 60); the image
// controls with automatic white balance, gain and hue; exposure, focus,
// power-line frequency and more for the device dialog. YUYV 640x480 at 30 fps
// in force.
EmulatedCamera TypicalCamera(const std::string& card = "Emulated Camera");

class EmulatedV4l2Io final : public V4l2Io {
  public:
    // Adds a node; the directory part of path is what ListDirectory answers for.
    void AddNode(const std::string& path, EmulatedCamera camera);
    // A directory entry that is no node (open fails with ENOENT).
    void AddEntry(const std::string& path);
    // One-shot: the next ioctl request on path fails with -error.
    void FailNext(const std::string& path, unsigned long request, int error);
    // Adds frame events to path's script while streaming.
    void Push(const std::string& path, const FrameEvent& event);

    // Observations for tests.
    int OpenDescriptors() const;
    int Mappings() const;
    bool Streaming(const std::string& path) const;
    std::size_t Buffers(const std::string& path) const;
    std::size_t ScriptLeft(const std::string& path) const;
    std::uint32_t CurrentPixelFormat(const std::string& path) const;
    v4l2_fract CurrentInterval(const std::string& path) const;
    std::int32_t ControlValue(const std::string& path, std::uint32_t id) const;
    int Calls(unsigned long request) const;

    int ListDirectory(const std::string& directory, std::vector<std::string>& names) override;
    int Open(const std::string& path, int flags) override;
    int Close(int fd) override;
    int Ioctl(int fd, unsigned long request, void* argument) override;
    int Mmap(int fd, std::size_t length, off_t offset, void*& address) override;
    int Munmap(void* address, std::size_t length) override;
    int Poll(pollfd* fds, nfds_t count, int timeoutMs) override;
    int CreateEventFd() override;
    int SignalEventFd(int fd) override;

  private:
    struct Buffer {
        std::unique_ptr<std::uint8_t[]> memory;
        std::uint32_t length = 0;
        bool mapped = false;
    };
    struct Node {
        EmulatedCamera camera;
        v4l2_pix_format format{};
        v4l2_fract interval{1, 30};
        bool unplugged = false;
        bool streaming = false;
        std::vector<Buffer> buffers;
        std::deque<std::uint32_t> queued;
        std::uint32_t sequence = 0;
        std::map<unsigned long, int> failNext;
    };

    Node& NodeOf(const std::string& path);
    const Node& NodeOf(const std::string& path) const;
    int Dispatch(Node& node, unsigned long request, void* argument);
    short Readiness(int fd) const;
    // Takes a Silence event from the front of the script of any node in fds.
    bool TakeSilence(const pollfd* fds, nfds_t count);

    // Formats and sizes.
    const EmulatedFormat* FindFormat(const Node& node, std::uint32_t pixelFormat) const;
    v4l2_pix_format Adjust(const Node& node, v4l2_pix_format wanted) const;
    std::vector<v4l2_fract> Intervals(const Node& node, const v4l2_pix_format& format) const;
    int EnumFormat(Node& node, v4l2_fmtdesc& desc);
    int EnumSize(Node& node, v4l2_frmsizeenum& entry);
    int EnumInterval(Node& node, v4l2_frmivalenum& entry);
    int SetFormat(Node& node, v4l2_format& format);
    int GetParm(Node& node, v4l2_streamparm& parm);
    int SetParm(Node& node, v4l2_streamparm& parm);

    // Buffers and streaming.
    int RequestBuffers(Node& node, v4l2_requestbuffers& request);
    int QueryBuffer(Node& node, v4l2_buffer& buffer);
    int QueueBuffer(Node& node, v4l2_buffer& buffer);
    int DequeueBuffer(Node& node, v4l2_buffer& buffer);
    int StreamOn(Node& node);
    int StreamOff(Node& node);

    // Controls.
    EmulatedControl* FindControl(Node& node, std::uint32_t id);
    bool Inactive(Node& node, const EmulatedControl& control);
    int QueryControl(Node& node, v4l2_queryctrl& query);
    int QueryExtControl(Node& node, v4l2_query_ext_ctrl& query);
    int QueryMenu(Node& node, v4l2_querymenu& item);
    int GetControl(Node& node, v4l2_control& control);
    int SetControl(Node& node, v4l2_control& control);

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::string, Node> nodes_;
    std::vector<std::string> entries_;
    std::map<int, std::string> fds_; // descriptor -> node path
    std::map<int, bool> eventFds_;   // descriptor -> signalled
    std::map<unsigned long, int> calls_;
    int nextFd_ = 100;
};

} // namespace kamsel::v4l2::testing

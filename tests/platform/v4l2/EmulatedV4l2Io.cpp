#include "EmulatedV4l2Io.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>

namespace kamsel::v4l2::testing {

namespace {

constexpr off_t kBufferOffsetStep = 0x10000;

void CopyName(const std::string& name, char* target, std::size_t size) {
    std::memset(target, 0, size);
    std::memcpy(target, name.data(), std::min(name.size(), size));
}

void CopyName(const std::string& name, std::uint8_t* target, std::size_t size) {
    CopyName(name, reinterpret_cast<char*>(target), size);
}

std::string Directory(const std::string& path) {
    return path.substr(0, path.rfind('/'));
}

std::string Name(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

double Seconds(const v4l2_fract& fraction) {
    return static_cast<double>(fraction.numerator) / fraction.denominator;
}

EmulatedControl Control(std::uint32_t id, const char* name, std::int64_t min, std::int64_t max,
                        std::int64_t defaultValue, std::uint32_t type = V4L2_CTRL_TYPE_INTEGER) {
    EmulatedControl control;
    control.id = id;
    control.type = type;
    control.name = name;
    control.min = min;
    control.max = max;
    control.defaultValue = defaultValue;
    control.value = static_cast<std::int32_t>(defaultValue);
    return control;
}

EmulatedControl Boolean(std::uint32_t id, const char* name, bool on) {
    return Control(id, name, 0, 1, on ? 1 : 0, V4L2_CTRL_TYPE_BOOLEAN);
}

} // namespace

EmulatedCamera TypicalCamera(const std::string& card) {
    EmulatedCamera camera;
    camera.card = card;
    const v4l2_fract fps30{1, 30}, fps15{1, 15}, fps10{1, 10}, fps60{1, 60};
    camera.formats.push_back({V4L2_PIX_FMT_YUYV,
                              0,
                              {{640, 480, {fps30, fps15}}, {320, 240, {fps30}}, {1280, 720, {fps10}}},
                              {},
                              {}});
    camera.formats.push_back(
        {V4L2_PIX_FMT_MJPEG,
         V4L2_FMT_FLAG_COMPRESSED,
         {{640, 480, {fps60, fps30}}, {1280, 720, {fps60, fps30}}, {1920, 1080, {fps30}}},
         {},
         {}});
    auto& controls = camera.controls;
    controls.push_back(Control(V4L2_CID_USER_CLASS, "User Controls", 0, 0, 0, V4L2_CTRL_TYPE_CTRL_CLASS));
    controls.push_back(Control(V4L2_CID_BRIGHTNESS, "Brightness", -64, 64, 0));
    controls.push_back(Control(V4L2_CID_CONTRAST, "Contrast", 0, 95, 32));
    controls.push_back(Control(V4L2_CID_SATURATION, "Saturation", 0, 100, 55));
    controls.push_back(Control(V4L2_CID_HUE, "Hue", -2000, 2000, 0));
    controls.back().automaticId = V4L2_CID_HUE_AUTO;
    controls.push_back(Boolean(V4L2_CID_AUTO_WHITE_BALANCE, "White Balance, Automatic", true));
    controls.push_back(Control(V4L2_CID_GAMMA, "Gamma", 100, 300, 100));
    controls.push_back(Control(V4L2_CID_GAIN, "Gain", 0, 255, 32));
    controls.back().automaticId = V4L2_CID_AUTOGAIN;
    controls.push_back(
        Control(V4L2_CID_POWER_LINE_FREQUENCY, "Power Line Frequency", 0, 2, 1, V4L2_CTRL_TYPE_MENU));
    controls.back().menu = {{0, "Disabled"}, {1, "50 Hz"}, {2, "60 Hz"}};
    controls.push_back(Boolean(V4L2_CID_HUE_AUTO, "Hue, Automatic", false));
    controls.push_back(Boolean(V4L2_CID_AUTOGAIN, "Gain, Automatic", false));
    controls.push_back(
        Control(V4L2_CID_WHITE_BALANCE_TEMPERATURE, "White Balance Temperature", 2800, 6500, 4600));
    controls.back().step = 10;
    controls.back().automaticId = V4L2_CID_AUTO_WHITE_BALANCE;
    controls.push_back(Control(V4L2_CID_SHARPNESS, "Sharpness", 0, 7, 2));
    controls.push_back(Control(V4L2_CID_BACKLIGHT_COMPENSATION, "Backlight Compensation", 0, 2, 1));
    controls.push_back(Control(V4L2_CID_CAMERA_CLASS, "Camera Controls", 0, 0, 0, V4L2_CTRL_TYPE_CTRL_CLASS));
    // Exposure, Auto offers only Manual (1) and Aperture Priority (3), as many USB cameras do.
    controls.push_back(Control(V4L2_CID_EXPOSURE_AUTO, "Auto Exposure", 0, 3, 3, V4L2_CTRL_TYPE_MENU));
    controls.back().menu = {{1, "Manual Mode"}, {3, "Aperture Priority Mode"}};
    controls.push_back(Control(V4L2_CID_EXPOSURE_ABSOLUTE, "Exposure Time, Absolute", 3, 2047, 250));
    controls.push_back(Control(V4L2_CID_PAN_RELATIVE, "Pan, Relative", -4096, 4096, 0));
    controls.back().flags = V4L2_CTRL_FLAG_WRITE_ONLY;
    controls.push_back(Control(V4L2_CID_PAN_RESET, "Pan, Reset", 0, 0, 0, V4L2_CTRL_TYPE_BUTTON));
    controls.push_back(Control(V4L2_CID_FOCUS_ABSOLUTE, "Focus, Absolute", 0, 250, 0));
    controls.back().flags = V4L2_CTRL_FLAG_INACTIVE;
    controls.push_back(Control(V4L2_CID_ZOOM_ABSOLUTE, "Zoom, Absolute", 100, 500, 100));
    controls.back().flags = V4L2_CTRL_FLAG_DISABLED;
    controls.push_back(Control(V4L2_CID_PRIVACY, "Privacy", 0, 1, 0, V4L2_CTRL_TYPE_BOOLEAN));
    controls.back().flags = V4L2_CTRL_FLAG_READ_ONLY;
    controls.push_back(Control(V4L2_CID_CAMERA_SENSOR_ROTATION, "Camera Sensor Rotation", 0, 270, 0));
    controls.back().type = V4L2_CTRL_TYPE_INTEGER64;
    controls.push_back(
        Control(V4L2_CID_ISO_SENSITIVITY, "ISO Sensitivity", 0, 2, 0, V4L2_CTRL_TYPE_INTEGER_MENU));
    controls.back().numbers = {{0, 100}, {1, 200}, {2, 400}};
    std::sort(controls.begin(), controls.end(), [](const auto& a, const auto& b) { return a.id < b.id; });
    return camera;
}

void EmulatedV4l2Io::AddNode(const std::string& path, EmulatedCamera camera) {
    std::lock_guard lock(mutex_);
    Node node;
    node.camera = std::move(camera);
    if (!node.camera.formats.empty()) {
        const EmulatedFormat& first = node.camera.formats.front();
        v4l2_pix_format wanted{};
        wanted.pixelformat = first.pixelFormat;
        if (!first.sizes.empty()) {
            wanted.width = first.sizes.front().width;
            wanted.height = first.sizes.front().height;
        } else if (first.sizeRange) {
            wanted.width = first.sizeRange->max_width;
            wanted.height = first.sizeRange->max_height;
        } else {
            wanted.width = 640;
            wanted.height = 480;
        }
        node.format = wanted;
        node.format = Adjust(node, wanted);
    }
    nodes_[path] = std::move(node);
    entries_.push_back(path);
}

void EmulatedV4l2Io::AddEntry(const std::string& path) {
    std::lock_guard lock(mutex_);
    entries_.push_back(path);
}

void EmulatedV4l2Io::FailNext(const std::string& path, unsigned long request, int error) {
    std::lock_guard lock(mutex_);
    NodeOf(path).failNext[request] = -error;
}

void EmulatedV4l2Io::Push(const std::string& path, const FrameEvent& event) {
    {
        std::lock_guard lock(mutex_);
        NodeOf(path).camera.script.push_back(event);
    }
    changed_.notify_all();
}

EmulatedV4l2Io::Node& EmulatedV4l2Io::NodeOf(const std::string& path) {
    const auto found = nodes_.find(path);
    if (found == nodes_.end())
        throw std::logic_error("no emulated node " + path);
    return found->second;
}

const EmulatedV4l2Io::Node& EmulatedV4l2Io::NodeOf(const std::string& path) const {
    return const_cast<EmulatedV4l2Io*>(this)->NodeOf(path);
}

int EmulatedV4l2Io::OpenDescriptors() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(fds_.size() + eventFds_.size());
}

int EmulatedV4l2Io::Mappings() const {
    std::lock_guard lock(mutex_);
    int mappings = 0;
    for (const auto& [path, node] : nodes_)
        mappings += static_cast<int>(std::count_if(node.buffers.begin(), node.buffers.end(),
                                                   [](const Buffer& b) { return b.mapped; }));
    return mappings;
}

bool EmulatedV4l2Io::Streaming(const std::string& path) const {
    std::lock_guard lock(mutex_);
    return NodeOf(path).streaming;
}

std::size_t EmulatedV4l2Io::Buffers(const std::string& path) const {
    std::lock_guard lock(mutex_);
    return NodeOf(path).buffers.size();
}

std::size_t EmulatedV4l2Io::ScriptLeft(const std::string& path) const {
    std::lock_guard lock(mutex_);
    return NodeOf(path).camera.script.size();
}

std::uint32_t EmulatedV4l2Io::CurrentPixelFormat(const std::string& path) const {
    std::lock_guard lock(mutex_);
    return NodeOf(path).format.pixelformat;
}

v4l2_fract EmulatedV4l2Io::CurrentInterval(const std::string& path) const {
    std::lock_guard lock(mutex_);
    return NodeOf(path).interval;
}

std::int32_t EmulatedV4l2Io::ControlValue(const std::string& path, std::uint32_t id) const {
    std::lock_guard lock(mutex_);
    for (const EmulatedControl& control : NodeOf(path).camera.controls)
        if (control.id == id)
            return control.value;
    throw std::logic_error("no emulated control");
}

int EmulatedV4l2Io::Calls(unsigned long request) const {
    std::lock_guard lock(mutex_);
    const auto found = calls_.find(request);
    return found == calls_.end() ? 0 : found->second;
}

int EmulatedV4l2Io::ListDirectory(const std::string& directory, std::vector<std::string>& names) {
    std::lock_guard lock(mutex_);
    names.clear();
    for (const std::string& entry : entries_)
        if (Directory(entry) == directory)
            names.push_back(Name(entry));
    return names.empty() ? -ENOENT : 0;
}

int EmulatedV4l2Io::Open(const std::string& path, int) {
    std::lock_guard lock(mutex_);
    const auto found = nodes_.find(path);
    if (found == nodes_.end() || found->second.unplugged)
        return -ENOENT;
    if (found->second.camera.openError)
        return found->second.camera.openError;
    const int fd = nextFd_++;
    fds_[fd] = path;
    return fd;
}

int EmulatedV4l2Io::Close(int fd) {
    std::lock_guard lock(mutex_);
    if (eventFds_.erase(fd) == 1)
        return 0;
    const auto found = fds_.find(fd);
    if (found == fds_.end())
        return -EBADF;
    Node& node = nodes_.at(found->second);
    fds_.erase(found);
    // As the kernel does when the last descriptor goes: stop and free what is not mapped.
    const bool lastOpen =
        std::none_of(fds_.begin(), fds_.end(), [&](const auto& f) { return &nodes_.at(f.second) == &node; });
    if (lastOpen) {
        node.streaming = false;
        node.queued.clear();
        if (std::none_of(node.buffers.begin(), node.buffers.end(), [](const Buffer& b) { return b.mapped; }))
            node.buffers.clear();
    }
    return 0;
}

int EmulatedV4l2Io::Ioctl(int fd, unsigned long request, void* argument) {
    int result;
    {
        std::lock_guard lock(mutex_);
        ++calls_[request];
        const auto found = fds_.find(fd);
        if (found == fds_.end())
            return -EBADF;
        Node& node = nodes_.at(found->second);
        if (node.unplugged)
            return -ENODEV;
        if (const auto fail = node.failNext.find(request); fail != node.failNext.end()) {
            const int error = fail->second;
            node.failNext.erase(fail);
            return error;
        }
        result = Dispatch(node, request, argument);
    }
    changed_.notify_all();
    return result;
}

int EmulatedV4l2Io::Dispatch(Node& node, unsigned long request, void* argument) {
    switch (request) {
    case VIDIOC_QUERYCAP: {
        auto& caps = *static_cast<v4l2_capability*>(argument);
        caps = {};
        CopyName("emulated", caps.driver, sizeof caps.driver);
        CopyName(node.camera.card, caps.card, sizeof caps.card);
        caps.capabilities = node.camera.capabilities;
        caps.device_caps = node.camera.deviceCaps;
        return 0;
    }
    case VIDIOC_ENUM_FMT:
        return EnumFormat(node, *static_cast<v4l2_fmtdesc*>(argument));
    case VIDIOC_ENUM_FRAMESIZES:
        return EnumSize(node, *static_cast<v4l2_frmsizeenum*>(argument));
    case VIDIOC_ENUM_FRAMEINTERVALS:
        return EnumInterval(node, *static_cast<v4l2_frmivalenum*>(argument));
    case VIDIOC_G_FMT:
        static_cast<v4l2_format*>(argument)->fmt.pix = node.format;
        return 0;
    case VIDIOC_TRY_FMT: {
        auto& format = *static_cast<v4l2_format*>(argument);
        format.fmt.pix = Adjust(node, format.fmt.pix);
        return 0;
    }
    case VIDIOC_S_FMT:
        return SetFormat(node, *static_cast<v4l2_format*>(argument));
    case VIDIOC_G_PARM:
        return GetParm(node, *static_cast<v4l2_streamparm*>(argument));
    case VIDIOC_S_PARM:
        return SetParm(node, *static_cast<v4l2_streamparm*>(argument));
    case VIDIOC_REQBUFS:
        return RequestBuffers(node, *static_cast<v4l2_requestbuffers*>(argument));
    case VIDIOC_QUERYBUF:
        return QueryBuffer(node, *static_cast<v4l2_buffer*>(argument));
    case VIDIOC_QBUF:
        return QueueBuffer(node, *static_cast<v4l2_buffer*>(argument));
    case VIDIOC_DQBUF:
        return DequeueBuffer(node, *static_cast<v4l2_buffer*>(argument));
    case VIDIOC_STREAMON:
        return StreamOn(node);
    case VIDIOC_STREAMOFF:
        return StreamOff(node);
    case VIDIOC_QUERYCTRL:
        return QueryControl(node, *static_cast<v4l2_queryctrl*>(argument));
    case VIDIOC_QUERY_EXT_CTRL:
        return QueryExtControl(node, *static_cast<v4l2_query_ext_ctrl*>(argument));
    case VIDIOC_QUERYMENU:
        return QueryMenu(node, *static_cast<v4l2_querymenu*>(argument));
    case VIDIOC_G_CTRL:
        return GetControl(node, *static_cast<v4l2_control*>(argument));
    case VIDIOC_S_CTRL:
        return SetControl(node, *static_cast<v4l2_control*>(argument));
    default:
        return -ENOTTY;
    }
}

// Formats and sizes ---------------------------------------------------------

const EmulatedFormat* EmulatedV4l2Io::FindFormat(const Node& node, std::uint32_t pixelFormat) const {
    for (const EmulatedFormat& format : node.camera.formats)
        if (format.pixelFormat == pixelFormat)
            return &format;
    return nullptr;
}

v4l2_pix_format EmulatedV4l2Io::Adjust(const Node& node, v4l2_pix_format wanted) const {
    const EmulatedFormat* format = FindFormat(node, wanted.pixelformat);
    if (!format)
        format = &node.camera.formats.front();
    v4l2_pix_format chosen{};
    chosen.pixelformat = format->pixelFormat;
    chosen.field = V4L2_FIELD_NONE;
    chosen.width = node.format.width;
    chosen.height = node.format.height;
    if (format->sizeRange) {
        const v4l2_frmsize_stepwise& range = *format->sizeRange;
        chosen.width = std::clamp(wanted.width, range.min_width, range.max_width);
        chosen.height = std::clamp(wanted.height, range.min_height, range.max_height);
        chosen.width -= (chosen.width - range.min_width) % range.step_width;
        chosen.height -= (chosen.height - range.min_height) % range.step_height;
    } else if (!format->sizes.empty()) {
        const auto distance = [&](const EmulatedSize& size) {
            return std::abs(static_cast<long>(size.width) - wanted.width) +
                   std::abs(static_cast<long>(size.height) - wanted.height);
        };
        const EmulatedSize& nearest = *std::min_element(
            format->sizes.begin(), format->sizes.end(),
            [&](const EmulatedSize& a, const EmulatedSize& b) { return distance(a) < distance(b); });
        chosen.width = nearest.width;
        chosen.height = nearest.height;
    }
    const bool compressed = format->flags & V4L2_FMT_FLAG_COMPRESSED;
    const std::uint32_t padding = node.camera.rowPadding;
    switch (chosen.pixelformat) {
    case V4L2_PIX_FMT_BGR24:
    case V4L2_PIX_FMT_RGB24:
        chosen.bytesperline = chosen.width * 3 + padding;
        break;
    case V4L2_PIX_FMT_GREY:
    case V4L2_PIX_FMT_YUV420:
    case V4L2_PIX_FMT_YVU420:
        chosen.bytesperline = chosen.width + padding;
        break;
    default:
        chosen.bytesperline = compressed ? 0 : chosen.width * 2 + padding;
    }
    if (compressed)
        chosen.sizeimage = chosen.width * chosen.height * 2;
    else if (chosen.pixelformat == V4L2_PIX_FMT_YUV420 || chosen.pixelformat == V4L2_PIX_FMT_YVU420)
        chosen.sizeimage = chosen.bytesperline * chosen.height +
                           2 * ((chosen.bytesperline + 1) / 2) * ((chosen.height + 1) / 2);
    else
        chosen.sizeimage = chosen.bytesperline * chosen.height;
    return chosen;
}

std::vector<v4l2_fract> EmulatedV4l2Io::Intervals(const Node& node, const v4l2_pix_format& format) const {
    const EmulatedFormat* emulated = FindFormat(node, format.pixelformat);
    if (!emulated)
        return {};
    if (emulated->intervalRange)
        return {emulated->intervalRange->min, emulated->intervalRange->max};
    for (const EmulatedSize& size : emulated->sizes)
        if (size.width == format.width && size.height == format.height)
            return size.intervals;
    return {};
}

int EmulatedV4l2Io::EnumFormat(Node& node, v4l2_fmtdesc& desc) {
    if (desc.type != V4L2_BUF_TYPE_VIDEO_CAPTURE || desc.index >= node.camera.formats.size())
        return -EINVAL;
    const EmulatedFormat& format = node.camera.formats[desc.index];
    desc.pixelformat = format.pixelFormat;
    desc.flags = format.flags;
    CopyName("format " + std::to_string(desc.index), desc.description, sizeof desc.description);
    return 0;
}

int EmulatedV4l2Io::EnumSize(Node& node, v4l2_frmsizeenum& entry) {
    const EmulatedFormat* format = FindFormat(node, entry.pixel_format);
    if (!format)
        return -EINVAL;
    if (format->sizeRange) {
        if (entry.index != 0)
            return -EINVAL;
        const bool continuous = format->sizeRange->step_width == 1 && format->sizeRange->step_height == 1;
        entry.type = continuous ? V4L2_FRMSIZE_TYPE_CONTINUOUS : V4L2_FRMSIZE_TYPE_STEPWISE;
        entry.stepwise = *format->sizeRange;
        return 0;
    }
    if (entry.index >= format->sizes.size())
        return -EINVAL;
    entry.type = V4L2_FRMSIZE_TYPE_DISCRETE;
    entry.discrete = {format->sizes[entry.index].width, format->sizes[entry.index].height};
    return 0;
}

int EmulatedV4l2Io::EnumInterval(Node& node, v4l2_frmivalenum& entry) {
    const EmulatedFormat* format = FindFormat(node, entry.pixel_format);
    if (!format)
        return -EINVAL;
    if (format->intervalRange) {
        if (entry.index != 0)
            return -EINVAL;
        entry.type = V4L2_FRMIVAL_TYPE_STEPWISE;
        entry.stepwise = *format->intervalRange;
        return 0;
    }
    v4l2_pix_format size{};
    size.pixelformat = entry.pixel_format;
    size.width = entry.width;
    size.height = entry.height;
    const std::vector<v4l2_fract> intervals = Intervals(node, size);
    if (entry.index >= intervals.size())
        return -EINVAL;
    entry.type = V4L2_FRMIVAL_TYPE_DISCRETE;
    entry.discrete = intervals[entry.index];
    return 0;
}

int EmulatedV4l2Io::SetFormat(Node& node, v4l2_format& format) {
    if (node.streaming || !node.buffers.empty())
        return -EBUSY;
    node.format = Adjust(node, format.fmt.pix);
    format.fmt.pix = node.format;
    // Like USB cameras, a new format starts at its first (fastest) rate.
    const std::vector<v4l2_fract> intervals = Intervals(node, node.format);
    node.interval = intervals.empty() ? v4l2_fract{1, 30} : intervals.front();
    return 0;
}

int EmulatedV4l2Io::GetParm(Node& node, v4l2_streamparm& parm) {
    if (parm.type != V4L2_BUF_TYPE_VIDEO_CAPTURE)
        return -EINVAL;
    parm.parm.capture = {};
    parm.parm.capture.capability = node.camera.rateSettable ? V4L2_CAP_TIMEPERFRAME : 0;
    parm.parm.capture.timeperframe = node.interval;
    return 0;
}

int EmulatedV4l2Io::SetParm(Node& node, v4l2_streamparm& parm) {
    if (parm.type != V4L2_BUF_TYPE_VIDEO_CAPTURE || !node.camera.rateSettable)
        return -EINVAL;
    const v4l2_fract wanted = parm.parm.capture.timeperframe;
    const std::vector<v4l2_fract> intervals = Intervals(node, node.format);
    if (!intervals.empty() && wanted.denominator != 0) {
        const auto nearest =
            std::min_element(intervals.begin(), intervals.end(), [&](const auto& a, const auto& b) {
                return std::abs(Seconds(a) - Seconds(wanted)) < std::abs(Seconds(b) - Seconds(wanted));
            });
        node.interval = *nearest;
    }
    return GetParm(node, parm);
}

// Buffers and streaming -------------------------------------------------------

int EmulatedV4l2Io::RequestBuffers(Node& node, v4l2_requestbuffers& request) {
    if (request.memory != V4L2_MEMORY_MMAP || request.type != V4L2_BUF_TYPE_VIDEO_CAPTURE)
        return -EINVAL;
    // As videobuf2 does: no freeing while streaming or while any buffer is mapped.
    if (node.streaming ||
        std::any_of(node.buffers.begin(), node.buffers.end(), [](const Buffer& b) { return b.mapped; }))
        return -EBUSY;
    node.buffers.clear();
    node.queued.clear();
    if (request.count == 0)
        return 0;
    request.count = node.camera.grant.value_or(std::clamp(request.count, 2u, 8u));
    for (std::uint32_t i = 0; i < request.count; ++i) {
        Buffer buffer;
        buffer.length = node.format.sizeimage;
        buffer.memory = std::make_unique<std::uint8_t[]>(buffer.length);
        node.buffers.push_back(std::move(buffer));
    }
    return 0;
}

int EmulatedV4l2Io::QueryBuffer(Node& node, v4l2_buffer& buffer) {
    if (buffer.index >= node.buffers.size())
        return -EINVAL;
    buffer.length = node.buffers[buffer.index].length;
    buffer.m.offset = static_cast<std::uint32_t>(buffer.index * kBufferOffsetStep);
    return 0;
}

int EmulatedV4l2Io::QueueBuffer(Node& node, v4l2_buffer& buffer) {
    if (buffer.index >= node.buffers.size() ||
        std::find(node.queued.begin(), node.queued.end(), buffer.index) != node.queued.end())
        return -EINVAL;
    node.queued.push_back(buffer.index);
    return 0;
}

int EmulatedV4l2Io::DequeueBuffer(Node& node, v4l2_buffer& buffer) {
    if (!node.streaming)
        return -EINVAL;
    if (node.camera.script.empty())
        return -EAGAIN;
    const FrameEvent event = node.camera.script.front();
    if (event.kind == FrameEvent::Kind::Silence || event.kind == FrameEvent::Kind::ErrorState)
        return -EAGAIN;
    if (event.kind == FrameEvent::Kind::Error) {
        node.camera.script.pop_front();
        return event.error;
    }
    if (event.kind == FrameEvent::Kind::Unplug) {
        node.camera.script.pop_front();
        node.unplugged = true;
        return -ENODEV;
    }
    if (node.queued.empty())
        return -EAGAIN;
    node.camera.script.pop_front();
    const std::uint32_t index = node.queued.front();
    node.queued.pop_front();
    Buffer& target = node.buffers[index];
    const std::uint32_t sequence = node.sequence++;
    if (event.content.empty())
        std::memset(target.memory.get(), static_cast<int>(sequence & 0xff),
                    std::min(event.bytesUsed, target.length));
    else
        std::memcpy(target.memory.get(), event.content.data(),
                    std::min<std::size_t>(event.content.size(), target.length));
    buffer.index = index;
    buffer.bytesused = event.bytesUsed;
    buffer.flags = event.flags | V4L2_BUF_FLAG_MAPPED | V4L2_BUF_FLAG_DONE;
    buffer.length = target.length;
    buffer.sequence = sequence;
    buffer.m.offset = static_cast<std::uint32_t>(index * kBufferOffsetStep);
    return 0;
}

int EmulatedV4l2Io::StreamOn(Node& node) {
    if (node.buffers.empty())
        return -EINVAL;
    node.streaming = true;
    return 0;
}

int EmulatedV4l2Io::StreamOff(Node& node) {
    node.streaming = false;
    node.queued.clear();
    return 0;
}

int EmulatedV4l2Io::Mmap(int fd, std::size_t length, off_t offset, void*& address) {
    std::lock_guard lock(mutex_);
    const auto found = fds_.find(fd);
    if (found == fds_.end())
        return -EBADF;
    Node& node = nodes_.at(found->second);
    const auto index = static_cast<std::size_t>(offset / kBufferOffsetStep);
    if (offset % kBufferOffsetStep != 0 || index >= node.buffers.size() ||
        node.buffers[index].length != length || node.buffers[index].mapped)
        return -EINVAL;
    node.buffers[index].mapped = true;
    address = node.buffers[index].memory.get();
    return 0;
}

int EmulatedV4l2Io::Munmap(void* address, std::size_t length) {
    std::lock_guard lock(mutex_);
    for (auto& [path, node] : nodes_) {
        for (Buffer& buffer : node.buffers) {
            if (buffer.memory.get() == address && buffer.mapped && buffer.length == length) {
                buffer.mapped = false;
                return 0;
            }
        }
    }
    return -EINVAL;
}

// Waiting -------------------------------------------------------------------

short EmulatedV4l2Io::Readiness(int fd) const {
    if (const auto event = eventFds_.find(fd); event != eventFds_.end())
        return event->second ? POLLIN : 0;
    const auto found = fds_.find(fd);
    if (found == fds_.end())
        return POLLNVAL;
    const Node& node = nodes_.at(found->second);
    if (node.unplugged || !node.streaming)
        return POLLERR | POLLHUP;
    if (node.camera.script.empty())
        return 0;
    const FrameEvent::Kind next = node.camera.script.front().kind;
    if (next == FrameEvent::Kind::ErrorState)
        return POLLERR;
    if (next == FrameEvent::Kind::Silence)
        return 0;
    const bool frame = next == FrameEvent::Kind::Frame;
    return !frame || !node.queued.empty() ? POLLIN : 0;
}

int EmulatedV4l2Io::Poll(pollfd* fds, nfds_t count, int timeoutMs) {
    std::unique_lock lock(mutex_);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int ready = 0;
        for (nfds_t i = 0; i < count; ++i) {
            fds[i].revents =
                static_cast<short>(Readiness(fds[i].fd) & (fds[i].events | POLLERR | POLLHUP | POLLNVAL));
            ready += fds[i].revents != 0;
        }
        // A scripted silence times out at once, so tests need not wait.
        if (ready == 0 && TakeSilence(fds, count))
            return 0;
        if (ready > 0 || changed_.wait_until(lock, deadline) == std::cv_status::timeout)
            return ready;
    }
}

bool EmulatedV4l2Io::TakeSilence(const pollfd* fds, nfds_t count) {
    for (nfds_t i = 0; i < count; ++i) {
        const auto found = fds_.find(fds[i].fd);
        if (found == fds_.end())
            continue;
        std::deque<FrameEvent>& script = nodes_.at(found->second).camera.script;
        if (!script.empty() && script.front().kind == FrameEvent::Kind::Silence) {
            script.pop_front();
            return true;
        }
    }
    return false;
}

int EmulatedV4l2Io::CreateEventFd() {
    std::lock_guard lock(mutex_);
    const int fd = nextFd_++;
    eventFds_[fd] = false;
    return fd;
}

int EmulatedV4l2Io::SignalEventFd(int fd) {
    {
        std::lock_guard lock(mutex_);
        const auto found = eventFds_.find(fd);
        if (found == eventFds_.end())
            return -EBADF;
        found->second = true;
    }
    changed_.notify_all();
    return 0;
}

// Controls --------------------------------------------------------------------

EmulatedControl* EmulatedV4l2Io::FindControl(Node& node, std::uint32_t id) {
    for (EmulatedControl& control : node.camera.controls)
        if (control.id == id)
            return &control;
    return nullptr;
}

bool EmulatedV4l2Io::Inactive(Node& node, const EmulatedControl& control) {
    if (control.flags & V4L2_CTRL_FLAG_INACTIVE)
        return true;
    const EmulatedControl* automatic = control.automaticId ? FindControl(node, control.automaticId) : nullptr;
    return automatic && automatic->value != 0;
}

int EmulatedV4l2Io::QueryControl(Node& node, v4l2_queryctrl& query) {
    const EmulatedControl* control = FindControl(node, query.id);
    if (!control)
        return -EINVAL;
    CopyName(control->name, query.name, sizeof query.name);
    query.type = control->type;
    query.minimum = static_cast<std::int32_t>(control->min);
    query.maximum = static_cast<std::int32_t>(control->max);
    query.step = static_cast<std::int32_t>(control->step);
    query.default_value = static_cast<std::int32_t>(control->defaultValue);
    query.flags = control->flags | (Inactive(node, *control) ? V4L2_CTRL_FLAG_INACTIVE : 0);
    return 0;
}

int EmulatedV4l2Io::QueryExtControl(Node& node, v4l2_query_ext_ctrl& query) {
    const bool next = query.id & V4L2_CTRL_FLAG_NEXT_CTRL;
    const std::uint32_t id = query.id & ~(V4L2_CTRL_FLAG_NEXT_CTRL | V4L2_CTRL_FLAG_NEXT_COMPOUND);
    const EmulatedControl* control = nullptr;
    for (const EmulatedControl& candidate : node.camera.controls) {
        if (next ? candidate.id > id : candidate.id == id) {
            control = &candidate;
            break;
        }
    }
    if (!control)
        return -EINVAL;
    query = {};
    query.id = control->id;
    query.type = control->type;
    CopyName(control->name, query.name, sizeof query.name);
    query.minimum = control->min;
    query.maximum = control->max;
    query.step = control->step;
    query.default_value = control->defaultValue;
    query.flags = control->flags | (Inactive(node, *control) ? V4L2_CTRL_FLAG_INACTIVE : 0);
    query.elem_size = 4;
    query.elems = 1;
    return 0;
}

int EmulatedV4l2Io::QueryMenu(Node& node, v4l2_querymenu& item) {
    const EmulatedControl* control = FindControl(node, item.id);
    if (!control)
        return -EINVAL;
    if (const auto label = control->menu.find(item.index); label != control->menu.end()) {
        CopyName(label->second, item.name, sizeof item.name);
        return 0;
    }
    if (const auto number = control->numbers.find(item.index); number != control->numbers.end()) {
        item.value = number->second;
        return 0;
    }
    return -EINVAL;
}

int EmulatedV4l2Io::GetControl(Node& node, v4l2_control& control) {
    const EmulatedControl* emulated = FindControl(node, control.id);
    if (!emulated || (emulated->flags & V4L2_CTRL_FLAG_DISABLED) ||
        emulated->type == V4L2_CTRL_TYPE_CTRL_CLASS)
        return -EINVAL;
    if ((emulated->flags & V4L2_CTRL_FLAG_WRITE_ONLY) || emulated->type == V4L2_CTRL_TYPE_BUTTON)
        return -EACCES;
    control.value = emulated->value;
    return 0;
}

int EmulatedV4l2Io::SetControl(Node& node, v4l2_control& control) {
    EmulatedControl* emulated = FindControl(node, control.id);
    if (!emulated || (emulated->flags & V4L2_CTRL_FLAG_DISABLED) ||
        emulated->type == V4L2_CTRL_TYPE_CTRL_CLASS)
        return -EINVAL;
    if (emulated->flags & V4L2_CTRL_FLAG_READ_ONLY)
        return -EACCES;
    // A manual value while its automatic mode runs is refused, as USB cameras do.
    if (emulated->automaticId && Inactive(node, *emulated))
        return -EBUSY;
    switch (emulated->type) {
    case V4L2_CTRL_TYPE_BUTTON:
        return 0;
    case V4L2_CTRL_TYPE_BOOLEAN:
        emulated->value = control.value != 0;
        return 0;
    case V4L2_CTRL_TYPE_MENU:
    case V4L2_CTRL_TYPE_INTEGER_MENU: {
        const auto index = static_cast<std::uint32_t>(control.value);
        if (!emulated->menu.count(index) && !emulated->numbers.count(index))
            return -EINVAL;
        emulated->value = control.value;
        return 0;
    }
    default:
        // The control framework clamps integers into their range.
        emulated->value =
            static_cast<std::int32_t>(std::clamp<std::int64_t>(control.value, emulated->min, emulated->max));
        control.value = emulated->value;
        return 0;
    }
}

} // namespace kamsel::v4l2::testing

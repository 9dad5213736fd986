#include "platform/virtualcam/Y4mReader.h"

#include "platform/virtualcam/ByteCursor.h"
#include "platform/virtualcam/DeviceErrors.h"
#include "platform/virtualcam/PixelPacking.h"

#include <cerrno>
#include <charconv>
#include <optional>
#include <string_view>

namespace kamsel::virtualcam {
namespace {

constexpr std::string_view kSignature = "YUV4MPEG2";
constexpr std::size_t kMaxHeaderLine = 4096;
constexpr std::size_t kMaxFrameLine = 1024;
constexpr std::size_t kHeaderWindow = 4096;
// Frame rates from 1000 down to 0.1 frames per second, in 100 ns units.
constexpr std::uint64_t kMinInterval = 10'000;
constexpr std::uint64_t kMaxInterval = 100'000'000;

enum class LineEnd { Complete, Incomplete, TooLong, ReadFailed };

LineEnd ReadLine(ByteCursor& cursor, std::size_t maxLength, std::string& line) {
    line.clear();
    for (;;) {
        const int byte = cursor.Next();
        if (byte < 0)
            return cursor.Status().Ok() ? LineEnd::Incomplete : LineEnd::ReadFailed;
        if (byte == '\n')
            return LineEnd::Complete;
        if (line.size() == maxLength)
            return LineEnd::TooLong;
        line.push_back(static_cast<char>(byte));
    }
}

// A header value for a message: short, and only printable ASCII, since the
// bytes come from an arbitrary file.
std::string Quote(std::string_view value) {
    std::string text = "'";
    for (const char c : value.substr(0, 24))
        text.push_back(c >= 0x20 && c < 0x7f ? c : '?');
    if (value.size() > 24)
        text += "...";
    return text + "'";
}

std::optional<std::uint32_t> ParseNumber(std::string_view text) {
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

struct Header {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint64_t frameInterval = 333'333;
    bool planar422 = false;
    std::uint64_t planeBytes = 0;
};

media::DeviceStatus ParseSize(const std::string& name, char tag, std::string_view value,
                              std::uint32_t& size) {
    const auto number = ParseNumber(value);
    if (!number)
        return Failure(EINVAL, name,
                       std::string("header field ") + tag + " is not a number: " + Quote(value));
    size = *number;
    return media::DeviceStatus::Success();
}

media::DeviceStatus ParseRate(const std::string& name, std::string_view value, std::uint64_t& interval) {
    const std::size_t colon = value.find(':');
    const auto numerator = ParseNumber(value.substr(0, colon));
    const auto denominator =
        colon == std::string_view::npos ? std::nullopt : ParseNumber(value.substr(colon + 1));
    if (!numerator || !denominator)
        return Failure(EINVAL, name, "frame rate is not a ratio of numbers: " + Quote(value));
    if (*numerator == 0 || *denominator == 0)
        return Failure(EINVAL, name, "frame rate " + Quote(value) + " has a zero term");
    const std::uint64_t rounded = (std::uint64_t{10'000'000} * *denominator + *numerator / 2) / *numerator;
    if (rounded < kMinInterval || rounded > kMaxInterval)
        return Failure(EINVAL, name, "frame rate " + Quote(value) + " is out of range");
    interval = rounded;
    return media::DeviceStatus::Success();
}

media::DeviceStatus ParseColourSpace(const std::string& name, std::string_view value, bool& planar422) {
    if (value == "420" || value == "420jpeg" || value == "420paldv" || value == "420mpeg2") {
        planar422 = false;
        return media::DeviceStatus::Success();
    }
    if (value == "422") {
        planar422 = true;
        return media::DeviceStatus::Success();
    }
    return Failure(EINVAL, name, "unsupported colour space " + Quote(value) + " (4:2:0 and 4:2:2 play)");
}

media::DeviceStatus CheckSize(const std::string& name, std::uint32_t width, std::uint32_t height) {
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    if (width == 0 || height == 0)
        return Failure(EINVAL, name, "missing or zero frame size " + size);
    if (width > Y4mReader::kMaxDimension || height > Y4mReader::kMaxDimension)
        return Failure(EINVAL, name, "frame size " + size + " is too large");
    // Packed YUY2 and I420 samples need whole pixel pairs.
    if (width % 2 != 0 || height % 2 != 0)
        return Failure(EINVAL, name, "odd frame size " + size + " is not supported");
    return media::DeviceStatus::Success();
}

media::DeviceStatus ParseHeaderLine(const std::string& name, std::string_view line, Header& header) {
    if (!line.starts_with(kSignature) || (line.size() > kSignature.size() && line[kSignature.size()] != ' '))
        return Failure(EINVAL, name, "not a YUV4MPEG2 file");
    line.remove_prefix(kSignature.size());
    while (!line.empty()) {
        const std::size_t blank = line.find(' ');
        const std::string_view field = line.substr(0, blank);
        line.remove_prefix(blank == std::string_view::npos ? line.size() : blank + 1);
        if (field.empty())
            continue;
        const std::string_view value = field.substr(1);
        media::DeviceStatus status;
        switch (field[0]) {
        case 'W':
            status = ParseSize(name, 'W', value, header.width);
            break;
        case 'H':
            status = ParseSize(name, 'H', value, header.height);
            break;
        case 'F':
            status = ParseRate(name, value, header.frameInterval);
            break;
        case 'C':
            status = ParseColourSpace(name, value, header.planar422);
            break;
        default: // interlacing, aspect ratio, comments and unknown fields do not change playback
            break;
        }
        if (!status.Ok())
            return status;
    }
    if (auto status = CheckSize(name, header.width, header.height); !status.Ok())
        return status;
    const std::uint64_t pixels = std::uint64_t{header.width} * header.height;
    header.planeBytes = header.planar422 ? pixels * 2 : pixels * 3 / 2;
    if (header.planeBytes > Y4mReader::kMaxFrameBytes)
        return Failure(EINVAL, name,
                       "frames of " + std::to_string(header.planeBytes) + " bytes are too large");
    return media::DeviceStatus::Success();
}

bool IsFrameLine(std::string_view line) {
    return line.starts_with("FRAME") && (line.size() == 5 || line[5] == ' ');
}

media::VideoMode ModeOf(const Header& header) {
    media::VideoMode mode;
    mode.fourcc = header.planar422 ? media::FourCC("YUY2") : media::FourCC("I420");
    mode.width = static_cast<std::int32_t>(header.width);
    mode.height = static_cast<std::int32_t>(header.height);
    mode.bitCount = header.planar422 ? 16 : 12;
    mode.sampleSize = static_cast<std::uint32_t>(header.planeBytes);
    mode.frameInterval = static_cast<std::int64_t>(header.frameInterval);
    mode.minFrameInterval = mode.frameInterval;
    mode.maxFrameInterval = mode.frameInterval;
    return mode;
}

} // namespace

media::DeviceStatus Y4mReader::Open(std::unique_ptr<ByteSource> source, std::unique_ptr<Y4mReader>& reader) {
    ByteCursor cursor(*source, kHeaderWindow);
    std::string line;
    switch (ReadLine(cursor, kMaxHeaderLine, line)) {
    case LineEnd::ReadFailed:
        return cursor.Status();
    case LineEnd::Incomplete:
        if (line.empty())
            return Failure(EINVAL, source->Name(), "empty file");
        return Failure(EINVAL, source->Name(), "incomplete YUV4MPEG2 header");
    case LineEnd::TooLong:
        return Failure(EINVAL, source->Name(), "YUV4MPEG2 header line too long");
    case LineEnd::Complete:
        break;
    }
    Header header;
    if (auto status = ParseHeaderLine(source->Name(), line, header); !status.Ok())
        return status;
    const std::uint64_t firstFrame = cursor.Position();
    std::unique_ptr<Y4mReader> opened(
        new Y4mReader(std::move(source), ModeOf(header), header.planar422, header.planeBytes));
    if (auto status = opened->IndexFrames(firstFrame); !status.Ok())
        return status;
    reader = std::move(opened);
    return media::DeviceStatus::Success();
}

Y4mReader::Y4mReader(std::unique_ptr<ByteSource> source, const media::VideoMode& mode, bool planar422,
                     std::uint64_t planeBytes)
    : source_(std::move(source)), mode_(mode), planar422_(planar422), planeBytes_(planeBytes) {}

media::DeviceStatus Y4mReader::IndexFrames(std::uint64_t firstFrame) {
    ByteCursor cursor(*source_, kHeaderWindow);
    const std::uint64_t size = source_->Size();
    std::uint64_t position = firstFrame;
    std::string line;
    while (position < size && frameOffsets_.size() < kMaxFrames) {
        cursor.Seek(position);
        const LineEnd end = ReadLine(cursor, kMaxFrameLine, line);
        if (end == LineEnd::ReadFailed)
            return cursor.Status();
        if (end == LineEnd::Incomplete)
            break; // the file ends inside a frame header
        if (end == LineEnd::TooLong || !IsFrameLine(line))
            return Failure(EINVAL, source_->Name(),
                           "malformed frame header at byte " + std::to_string(position));
        const std::uint64_t data = cursor.Position();
        if (size - data < planeBytes_)
            break; // a truncated last frame is left out
        frameOffsets_.push_back(data);
        position = data + planeBytes_;
    }
    if (frameOffsets_.empty())
        return Failure(EINVAL, source_->Name(), "no complete frame");
    return media::DeviceStatus::Success();
}

media::DeviceStatus Y4mReader::ReadFrame(std::size_t index, std::span<std::uint8_t> dst,
                                         std::size_t& bytesUsed) {
    if (index >= frameOffsets_.size())
        return Failure(EINVAL, source_->Name(), "frame " + std::to_string(index) + " does not exist");
    if (dst.size() < mode_.sampleSize)
        return Failure(EINVAL, source_->Name(), "frame buffer too small");
    if (!planar422_) {
        if (auto status = source_->ReadAt(frameOffsets_[index], dst.first(planeBytes_)); !status.Ok())
            return status;
        bytesUsed = planeBytes_;
        return media::DeviceStatus::Success();
    }
    planes_.resize(planeBytes_);
    if (auto status = source_->ReadAt(frameOffsets_[index], planes_); !status.Ok())
        return status;
    const auto width = static_cast<std::size_t>(mode_.width);
    const std::size_t lumaBytes = width * static_cast<std::size_t>(mode_.height);
    const std::size_t chromaBytes = lumaBytes / 2;
    PlanarView picture;
    picture.y = planes_.data();
    picture.u = planes_.data() + lumaBytes;
    picture.v = planes_.data() + lumaBytes + chromaBytes;
    picture.yStride = width;
    picture.chromaStride = width / 2;
    picture.width = mode_.width;
    picture.height = mode_.height;
    picture.chromaRowShift = 0;
    PackYuy2(picture, dst.data());
    bytesUsed = planeBytes_;
    return media::DeviceStatus::Success();
}

} // namespace kamsel::virtualcam

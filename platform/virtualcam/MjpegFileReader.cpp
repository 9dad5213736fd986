#include "platform/virtualcam/MjpegFileReader.h"

#include "platform/virtualcam/ByteCursor.h"
#include "platform/virtualcam/DeviceErrors.h"

#include <algorithm>
#include <cerrno>

namespace kamsel::virtualcam {
namespace {

constexpr std::size_t kScanWindow = 64 * 1024;
constexpr int kSoi = 0xD8;
constexpr int kEoi = 0xD9;
constexpr int kSos = 0xDA;

enum class ImageEnd { Complete, Broken, ReadFailed };

struct ImageInfo {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool hasFrameHeader = false;
    bool hasScan = false;
};

// Start-of-frame markers: C0 to CF except DHT (C4), JPG (C8) and DAC (CC).
bool IsFrameHeader(int marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Markers that stand alone, without a length: restarts and TEM.
bool IsStandalone(int marker) {
    return (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01;
}

ImageEnd EndOfData(const ByteCursor& cursor) {
    // An image cut off by the end of the file is as unusable as a broken one.
    return cursor.Status().Ok() ? ImageEnd::Broken : ImageEnd::ReadFailed;
}

// Leaves the cursor on the byte after the next SOI marker.
bool FindStartOfImage(ByteCursor& cursor) {
    while (cursor.SkipTo(0xFF)) {
        cursor.Next();
        const std::uint64_t after = cursor.Position();
        if (cursor.Next() == kSoi)
            return true;
        cursor.Seek(after);
    }
    return false;
}

// Reads a marker: FF, any fill bytes FF, then the code. -1 at the end of the
// data, -2 when no FF is there.
int ReadMarker(ByteCursor& cursor) {
    int byte = cursor.Next();
    if (byte < 0)
        return -1;
    if (byte != 0xFF)
        return -2;
    do {
        byte = cursor.Next();
    } while (byte == 0xFF);
    return byte;
}

// Skips entropy-coded data up to the next real marker, leaving the cursor on
// that marker's FF. Stuffed zero bytes and restart markers belong to the data.
bool SkipEntropyData(ByteCursor& cursor) {
    for (;;) {
        if (!cursor.SkipTo(0xFF))
            return false;
        const int code = ReadMarker(cursor);
        if (code < 0)
            return false;
        if (code == 0x00 || (code >= 0xD0 && code <= 0xD7))
            continue;
        cursor.Seek(cursor.Position() - 2);
        return true;
    }
}

int ReadWord(ByteCursor& cursor) {
    const int high = cursor.Next();
    const int low = cursor.Next();
    return high < 0 || low < 0 ? -1 : high << 8 | low;
}

ImageEnd ReadFrameHeader(ByteCursor& cursor, int length, ImageInfo& info) {
    // Precision (1 byte), height and width (2 bytes each), component count.
    if (length < 8)
        return ImageEnd::Broken;
    cursor.Next();
    const int height = ReadWord(cursor);
    const int width = ReadWord(cursor);
    if (width < 0 || height < 0)
        return EndOfData(cursor);
    if (!info.hasFrameHeader) {
        info.width = static_cast<std::uint32_t>(width);
        info.height = static_cast<std::uint32_t>(height);
        info.hasFrameHeader = true;
    }
    return ImageEnd::Complete;
}

// Walks the marker segments of one image from after its SOI to after its EOI.
ImageEnd WalkImage(ByteCursor& cursor, std::uint64_t sourceSize, ImageInfo& info) {
    for (;;) {
        const int marker = ReadMarker(cursor);
        if (marker == -1)
            return EndOfData(cursor);
        if (marker < 0 || marker == 0x00 || marker == kSoi)
            return ImageEnd::Broken;
        if (marker == kEoi)
            return ImageEnd::Complete;
        if (IsStandalone(marker))
            continue;
        const std::uint64_t segment = cursor.Position();
        const int length = ReadWord(cursor);
        if (length < 0)
            return EndOfData(cursor);
        if (length < 2 || segment + static_cast<std::uint64_t>(length) > sourceSize)
            return ImageEnd::Broken;
        if (IsFrameHeader(marker)) {
            if (const ImageEnd end = ReadFrameHeader(cursor, length, info); end != ImageEnd::Complete)
                return end;
        }
        cursor.Seek(segment + static_cast<std::uint64_t>(length));
        if (marker == kSos) {
            info.hasScan = true;
            if (!SkipEntropyData(cursor))
                return EndOfData(cursor);
        }
    }
}

bool IsUsable(const ImageInfo& info, std::uint64_t length) {
    if (!info.hasFrameHeader || !info.hasScan || info.width == 0 || info.height == 0)
        return false;
    if (info.width > static_cast<std::uint32_t>(MjpegFileReader::kMaxDimension) ||
        info.height > static_cast<std::uint32_t>(MjpegFileReader::kMaxDimension))
        return false;
    const std::uint64_t buffer = std::uint64_t{info.width} * info.height * 2;
    return buffer <= MjpegFileReader::kMaxSampleBytes && length <= MjpegFileReader::kMaxSampleBytes;
}

} // namespace

media::DeviceStatus MjpegFileReader::Open(std::unique_ptr<ByteSource> source,
                                          std::unique_ptr<MjpegFileReader>& reader) {
    std::unique_ptr<MjpegFileReader> opened(new MjpegFileReader(std::move(source)));
    if (auto status = opened->FindFrames(); !status.Ok())
        return status;
    reader = std::move(opened);
    return media::DeviceStatus::Success();
}

MjpegFileReader::MjpegFileReader(std::unique_ptr<ByteSource> source) : source_(std::move(source)) {}

media::DeviceStatus MjpegFileReader::FindFrames() {
    ByteCursor cursor(*source_, kScanWindow);
    const std::uint64_t size = source_->Size();
    std::uint64_t largest = 0;
    while (frames_.size() < kMaxFrames && FindStartOfImage(cursor)) {
        const std::uint64_t start = cursor.Position() - 2;
        ImageInfo info;
        const ImageEnd end = WalkImage(cursor, size, info);
        if (end == ImageEnd::ReadFailed)
            return cursor.Status();
        const std::uint64_t length = cursor.Position() - start;
        const bool sameSize = frames_.empty() || (static_cast<std::int32_t>(info.width) == mode_.width &&
                                                  static_cast<std::int32_t>(info.height) == mode_.height);
        if (end == ImageEnd::Broken || !IsUsable(info, length) || !sameSize) {
            // Look for the next image from just after this one's SOI: a broken
            // image may hide a good one behind a wrong segment length.
            cursor.Seek(start + 2);
            continue;
        }
        if (frames_.empty()) {
            mode_.width = static_cast<std::int32_t>(info.width);
            mode_.height = static_cast<std::int32_t>(info.height);
        }
        frames_.push_back(Frame{start, static_cast<std::uint32_t>(length)});
        largest = std::max(largest, length);
    }
    if (!cursor.Status().Ok())
        return cursor.Status();
    if (frames_.empty())
        return Failure(EINVAL, source_->Name(), "no complete JPEG image");
    const std::uint64_t buffer =
        std::uint64_t{static_cast<std::uint32_t>(mode_.width)} * static_cast<std::uint32_t>(mode_.height) * 2;
    mode_.fourcc = media::FourCC("MJPG");
    mode_.bitCount = 24;
    mode_.sampleSize = static_cast<std::uint32_t>(std::max(buffer, largest));
    mode_.frameInterval = kFrameInterval;
    mode_.minFrameInterval = kFrameInterval;
    mode_.maxFrameInterval = kFrameInterval;
    return media::DeviceStatus::Success();
}

media::DeviceStatus MjpegFileReader::ReadFrame(std::size_t index, std::span<std::uint8_t> dst,
                                               std::size_t& bytesUsed) {
    if (index >= frames_.size())
        return Failure(EINVAL, source_->Name(), "frame " + std::to_string(index) + " does not exist");
    const Frame& frame = frames_[index];
    if (dst.size() < frame.length)
        return Failure(EINVAL, source_->Name(), "frame buffer too small");
    if (auto status = source_->ReadAt(frame.offset, dst.first(frame.length)); !status.Ok())
        return status;
    bytesUsed = frame.length;
    return media::DeviceStatus::Success();
}

} // namespace kamsel::virtualcam

#include "platform/virtualcam/FileCamera.h"

#include "platform/virtualcam/DeviceErrors.h"
#include "platform/virtualcam/FileByteSource.h"
#include "platform/virtualcam/MjpegFileReader.h"
#include "platform/virtualcam/Y4mReader.h"

#include <cerrno>
#include <system_error>

namespace kamsel::virtualcam {
namespace {

using Source = VirtualCameraDeclaration::Source;

template <typename Reader>
media::DeviceStatus OpenWith(std::unique_ptr<ByteSource> bytes, std::unique_ptr<VideoFileReader>& reader) {
    std::unique_ptr<Reader> opened;
    auto status = Reader::Open(std::move(bytes), opened);
    if (status.Ok())
        reader = std::move(opened);
    return status;
}

} // namespace

FileCamera::FileCamera(std::string friendlyName, std::string path, Source source)
    : name_(std::move(friendlyName)), path_(std::move(path)), source_(source) {}

FileCamera::~FileCamera() {
    StopStreaming();
}

media::DeviceStatus FileCamera::NotOpen() const {
    return Failure(EBADF, path_, "video file is not open");
}

media::DeviceStatus FileCamera::NoControl() const {
    return Failure(EINVAL, path_, "a video file has no controls");
}

media::DeviceStatus FileCamera::Open() {
    if (reader_)
        return media::DeviceStatus::Success();
    if (source_ == Source::BadPatternRate)
        return Failure(EINVAL, path_,
                       "the rate of a pattern camera must be 1 to " +
                           std::to_string(VirtualCameraDeclaration::kMaxPatternRate) + " frames per second");
    if (source_ != Source::Y4mFile && source_ != Source::MjpegFile)
        return Failure(EINVAL, path_, "unsupported video file type (.y4m, .mjpeg and .mjpg play)");
    std::unique_ptr<FileByteSource> file;
    if (auto status = FileByteSource::Open(path_, file); !status.Ok())
        return status;
    if (source_ == Source::Y4mFile)
        return OpenWith<Y4mReader>(std::move(file), reader_);
    return OpenWith<MjpegFileReader>(std::move(file), reader_);
}

std::vector<media::VideoMode> FileCamera::Modes() {
    return reader_ ? std::vector<media::VideoMode>{reader_->Mode()} : std::vector<media::VideoMode>{};
}

media::VideoMode FileCamera::CurrentMode() {
    return reader_ ? reader_->Mode() : media::VideoMode{};
}

media::DeviceStatus FileCamera::SetMode(const media::VideoMode& mode) {
    if (!reader_)
        return NotOpen();
    if (thread_.Started())
        return Failure(EBUSY, path_, "cannot change the format while streaming");
    const media::VideoMode& own = reader_->Mode();
    if (mode.fourcc != own.fourcc || mode.width != own.width || mode.height != own.height ||
        (mode.frameInterval != 0 && mode.frameInterval != own.frameInterval))
        return Failure(EINVAL, path_, "the file plays in its own format only");
    return media::DeviceStatus::Success();
}

media::DeviceStatus FileCamera::StartStreaming(media::FrameSink& sink) {
    if (!reader_)
        return NotOpen();
    if (thread_.Started())
        return Failure(EBUSY, path_, "already streaming");
    const media::VideoMode& mode = reader_->Mode();
    buffer_.assign(mode.sampleSize, 0);
    nextFrame_ = 0;
    try {
        thread_.Start(std::chrono::nanoseconds(mode.frameInterval * 100),
                      [this, &sink] { return PlayFrame(sink); });
    } catch (const std::system_error& error) {
        return Failure(error.code().value(), path_,
                       std::string("cannot start the streaming thread: ") + error.what());
    }
    return media::DeviceStatus::Success();
}

void FileCamera::StopStreaming() {
    thread_.Stop();
}

bool FileCamera::PlayFrame(media::FrameSink& sink) {
    std::size_t bytesUsed = 0;
    const media::DeviceStatus status = reader_->ReadFrame(nextFrame_, buffer_, bytesUsed);
    if (!status.Ok()) {
        sink.OnStreamEnded(status);
        return false;
    }
    nextFrame_ = (nextFrame_ + 1) % reader_->FrameCount();
    sink.OnFrame(buffer_.data(), buffer_.size(), bytesUsed);
    return true;
}

media::DeviceStatus FileCamera::GetImageControlRange(media::ImageControl, media::ImageControlRange&) {
    return reader_ ? NoControl() : NotOpen();
}

media::DeviceStatus FileCamera::GetImageControl(media::ImageControl, std::int32_t&, std::int32_t&) {
    return reader_ ? NoControl() : NotOpen();
}

media::DeviceStatus FileCamera::SetImageControl(media::ImageControl, std::int32_t, std::int32_t) {
    return reader_ ? NoControl() : NotOpen();
}

media::DeviceStatus FileCamera::GetControl(std::uint32_t, std::int32_t&) {
    return reader_ ? NoControl() : NotOpen();
}

media::DeviceStatus FileCamera::SetControl(std::uint32_t, std::int32_t) {
    return reader_ ? NoControl() : NotOpen();
}

} // namespace kamsel::virtualcam

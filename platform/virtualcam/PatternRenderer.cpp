#include "platform/virtualcam/PatternRenderer.h"

#include "platform/virtualcam/DeviceErrors.h"
#include "platform/virtualcam/PatternScene.h"
#include "platform/virtualcam/PixelPacking.h"

#include <cerrno>

namespace kamsel::virtualcam {
namespace {

constexpr std::uint32_t kYuy2 = media::FourCC("YUY2");
constexpr std::uint32_t kI420 = media::FourCC("I420");
constexpr std::uint32_t kMjpg = media::FourCC("MJPG");

} // namespace

std::uint32_t PatternRenderer::SampleSize(std::uint32_t fourcc, std::int32_t width, std::int32_t height) {
    const auto pixels = static_cast<std::uint32_t>(width) * static_cast<std::uint32_t>(height);
    switch (fourcc) {
    case kI420:
        return pixels * 3 / 2;
    case media::kFourCCRgb24:
        return static_cast<std::uint32_t>(Rgb24Stride(width)) * static_cast<std::uint32_t>(height);
    default: // YUY2, and the buffer of an MJPG camera
        return pixels * 2;
    }
}

media::DeviceStatus PatternRenderer::Configure(const media::VideoMode& mode, const std::string& deviceName) {
    const bool known = mode.fourcc == kYuy2 || mode.fourcc == kI420 || mode.fourcc == kMjpg ||
                       mode.fourcc == media::kFourCCRgb24;
    if (!known || mode.width <= 0 || mode.height <= 0 || mode.width % 2 != 0 || mode.height % 2 != 0 ||
        mode.sampleSize < SampleSize(mode.fourcc, mode.width, mode.height))
        return Failure(EINVAL, deviceName, "the pattern cannot be drawn in this format");
    mode_ = mode;
    deviceName_ = deviceName;
    background_.Resize(mode.width, mode.height);
    PatternScene::DrawBackground(background_);
    picture_ = background_;
    return media::DeviceStatus::Success();
}

media::DeviceStatus PatternRenderer::Render(std::uint64_t frameIndex, const PictureSettings& settings,
                                            std::span<std::uint8_t> out, std::size_t& bytesUsed) {
    if (mode_.width == 0 || out.size() < mode_.sampleSize)
        return Failure(EINVAL, deviceName_, "no format configured or frame buffer too small");
    picture_ = background_; // same size: the planes' storage is reused
    PatternScene::DrawMovingParts(picture_, frameIndex, mode_.frameInterval);
    const bool jpeg = mode_.fourcc == kMjpg;
    processor_.Apply(settings, jpeg, frameIndex, picture_);
    switch (mode_.fourcc) {
    case kMjpg:
        return encoder_.Encode(picture_, out.first(mode_.sampleSize), bytesUsed);
    case kI420:
        PackI420(picture_.View(), out.data());
        break;
    case kYuy2:
        PackYuy2(picture_.View(), out.data());
        break;
    default:
        PackRgb24BottomUp(picture_.View(), out.data());
        break;
    }
    bytesUsed = SampleSize(mode_.fourcc, mode_.width, mode_.height);
    return media::DeviceStatus::Success();
}

} // namespace kamsel::virtualcam

#include "ModeMediaTypes.h"

#include <cstring>
#include <limits>

namespace kamsel::dshow {

namespace {

constexpr LONGLONG kUnitsPerSecond = 10'000'000;

LONG BitRate(std::uint32_t sampleSize, LONGLONG interval) {
    if (interval <= 0)
        return 0;
    const long double bits = static_cast<long double>(sampleSize) * 8.0L * kUnitsPerSecond / interval;
    return bits >= std::numeric_limits<LONG>::max() ? std::numeric_limits<LONG>::max()
                                                    : static_cast<LONG>(bits);
}

BITMAPINFOHEADER HeaderFromMode(const media::VideoMode& mode) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = mode.width;
    header.biHeight = mode.height;
    header.biPlanes = 1;
    header.biBitCount = mode.bitCount;
    header.biCompression = mode.fourcc == media::kFourCCRgb24 ? BI_RGB : mode.fourcc;
    header.biSizeImage = mode.sampleSize;
    return header;
}

template <class Header>
void FillHeader(Header& info, const media::VideoMode& mode) {
    const RECT frame{0, 0, mode.width, HeightMagnitude(mode.height)};
    info.rcSource = frame;
    info.rcTarget = frame;
    info.dwBitRate = static_cast<DWORD>(BitRate(mode.sampleSize, mode.frameInterval));
    info.AvgTimePerFrame = mode.frameInterval;
    info.bmiHeader = HeaderFromMode(mode);
}

bool Compressed(std::uint32_t fourcc) {
    return fourcc == media::FourCC("MJPG") || fourcc == media::FourCC("JPEG");
}

} // namespace

GUID SubtypeFromFourCC(std::uint32_t fourcc) {
    return fourcc == media::kFourCCRgb24 ? MEDIASUBTYPE_RGB24 : MediaSubtypeFromFourCC(fourcc);
}

MediaType MediaTypeFromMode(const media::VideoMode& mode, const GUID& formatType) {
    MediaType type;
    AM_MEDIA_TYPE& record = type.Get();
    record.majortype = MEDIATYPE_Video;
    record.subtype = SubtypeFromFourCC(mode.fourcc);
    record.bFixedSizeSamples = Compressed(mode.fourcc) ? FALSE : TRUE;
    record.bTemporalCompression = FALSE;
    record.lSampleSize = mode.sampleSize;
    if (formatType == FORMAT_VideoInfo2) {
        if (!type.AllocateFormat(sizeof(VIDEOINFOHEADER2)))
            return MediaType();
        VIDEOINFOHEADER2 info{};
        FillHeader(info, mode);
        std::memcpy(record.pbFormat, &info, sizeof info);
    } else {
        if (!type.AllocateFormat(sizeof(VIDEOINFOHEADER)))
            return MediaType();
        VIDEOINFOHEADER info{};
        FillHeader(info, mode);
        std::memcpy(record.pbFormat, &info, sizeof info);
    }
    record.formattype = formatType == FORMAT_VideoInfo2 ? FORMAT_VideoInfo2 : FORMAT_VideoInfo;
    return type;
}

VIDEO_STREAM_CONFIG_CAPS CapsFromMode(const media::VideoMode& mode, const GUID& formatType) {
    VIDEO_STREAM_CONFIG_CAPS caps{};
    const SIZE size{mode.width, HeightMagnitude(mode.height)};
    caps.guid = formatType;
    caps.InputSize = size;
    caps.MinCroppingSize = size;
    caps.MaxCroppingSize = size;
    caps.CropGranularityX = 1;
    caps.CropGranularityY = 1;
    caps.CropAlignX = 1;
    caps.CropAlignY = 1;
    caps.MinOutputSize = size;
    caps.MaxOutputSize = size;
    const LONGLONG fastest = mode.minFrameInterval > 0 ? mode.minFrameInterval : mode.frameInterval;
    const LONGLONG slowest = mode.maxFrameInterval > 0 ? mode.maxFrameInterval : mode.frameInterval;
    caps.MinFrameInterval = fastest;
    caps.MaxFrameInterval = slowest;
    caps.MinBitsPerSecond = BitRate(mode.sampleSize, slowest);
    caps.MaxBitsPerSecond = BitRate(mode.sampleSize, fastest);
    return caps;
}

std::optional<media::VideoMode> ModeForType(const std::vector<media::VideoMode>& modes,
                                            const AM_MEDIA_TYPE& type) {
    const BITMAPINFOHEADER* header = BitmapHeader(type);
    if (type.majortype != MEDIATYPE_Video || !header)
        return std::nullopt;
    const REFERENCE_TIME interval = FrameIntervalOf(type);
    for (const media::VideoMode& mode : modes) {
        if (SubtypeFromFourCC(mode.fourcc) != type.subtype || mode.width != header->biWidth ||
            HeightMagnitude(mode.height) != HeightMagnitude(header->biHeight))
            continue;
        media::VideoMode chosen = mode;
        const LONGLONG fastest = mode.minFrameInterval > 0 ? mode.minFrameInterval : mode.frameInterval;
        const LONGLONG slowest = mode.maxFrameInterval > 0 ? mode.maxFrameInterval : mode.frameInterval;
        if (interval > 0 && interval >= fastest && interval <= slowest)
            chosen.frameInterval = interval;
        else if (interval > 0 && interval != mode.frameInterval)
            continue;
        return chosen;
    }
    return std::nullopt;
}

} // namespace kamsel::dshow

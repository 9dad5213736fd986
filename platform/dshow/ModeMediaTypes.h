#pragma once
// Descriptions of a device's video modes in the framework's terms: the media
// type (with a VIDEOINFOHEADER or VIDEOINFOHEADER2 block) and the
// VIDEO_STREAM_CONFIG_CAPS record of each mode, and the way back from a media
// type to a mode.
//
// A mode's fourcc 0 is uncompressed RGB24 (MEDIASUBTYPE_RGB24, BI_RGB); every
// other fourcc gives the subtype built from it. The header's height is the
// mode's height as the device states it: positive for bottom-up RGB and for
// YUV formats, negative for top-down RGB.

#include "MediaType.h"

#include "platform/media/VideoDevice.h"

#include <optional>
#include <vector>

namespace kamsel::dshow {

GUID SubtypeFromFourCC(std::uint32_t fourcc);

// formatType: FORMAT_VideoInfo or FORMAT_VideoInfo2. An empty record (no
// block) when out of memory.
MediaType MediaTypeFromMode(const media::VideoMode& mode, const GUID& formatType);

VIDEO_STREAM_CONFIG_CAPS CapsFromMode(const media::VideoMode& mode, const GUID& formatType);

// The mode that type asks for: same subtype and size as one of modes, with the
// type's frame interval when it is given and within the mode's range. None
// when no mode fits or the type is not a video type with a format block.
std::optional<media::VideoMode> ModeForType(const std::vector<media::VideoMode>& modes,
                                            const AM_MEDIA_TYPE& type);

} // namespace kamsel::dshow

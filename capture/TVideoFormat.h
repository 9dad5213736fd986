#pragma once
// TVideoFormat: one stream format of a capture device's capture pin, as read
// from the pin's stream configuration, and its line in the size list.

#include "platform/dshow/MediaTypes.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace kamsel::capture {

struct TVideoFormat {
    std::int32_t Width = 0;        // InputSize.cx of the capability
    std::int32_t Height = 0;       // InputSize.cy of the capability
    std::uint32_t SampleSize = 0;  // lSampleSize of the capability's media type
    std::int32_t CapIndex = 0;     // the capability's index for IAMStreamConfig::GetStreamCaps
    dshow::MediaTypePtr MediaType; // the capability's media type, owned
    std::uint32_t FourCC = 0;      // pixel format letters, lowest byte first; "RGB " for RGB24

    // "640*480  (YUY2)": width, "*", height, two blanks, the FourCC letters up
    // to the first zero byte in parentheses.
    QString Text() const;
};

// The FourCC of a media subtype: "RGB " for RGB24, else the subtype's first
// 32-bit field (the letters for the subtypes built from a FourCC).
std::uint32_t FourCCOfSubtype(const com::GUID& subtype);

// Orders formats by width, then height, ascending; formats of equal size keep
// their order.
void SortVideoFormats(std::vector<TVideoFormat>& formats);

} // namespace kamsel::capture

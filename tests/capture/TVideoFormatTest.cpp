// Format list entries: their lines in the size list.

#include "capture/TVideoFormat.h"

#include <gtest/gtest.h>

namespace kamsel::capture {
namespace {

TVideoFormat Format(std::int32_t width, std::int32_t height, std::uint32_t fourcc,
                    std::int32_t capIndex = 0) {
    TVideoFormat format;
    format.Width = width;
    format.Height = height;
    format.FourCC = fourcc;
    format.CapIndex = capIndex;
    return format;
}

TEST(TVideoFormat, TextNamesSizeAndFourCC) {
    EXPECT_EQ(Format(640, 480, FourCCOfSubtype(dshow::MEDIASUBTYPE_YUY2)).Text(), "640*480  (YUY2)");
    EXPECT_EQ(Format(1280, 720, FourCCOfSubtype(dshow::MEDIASUBTYPE_MJPG)).Text(), "1280*720  (MJPG)");
    EXPECT_EQ(Format(320, 240, FourCCOfSubtype(dshow::MEDIASUBTYPE_RGB24)).Text(), "320*240  (RGB )");
    // Cut before the first zero byte.
    EXPECT_EQ(Format(8, 6, 'A' | 0u << 8 | 'C' << 16 | 'D' << 24).Text(), "8*6  (A)");
    EXPECT_EQ(Format(8, 6, 0).Text(), "8*6  ()");
}

} // namespace
} // namespace kamsel::capture

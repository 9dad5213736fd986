// Format list entries: their lines in the size list and their order.

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

TEST(TVideoFormat, FourCCOfSubtype) {
    EXPECT_EQ(FourCCOfSubtype(dshow::MEDIASUBTYPE_I420), 0x30323449u);
    EXPECT_EQ(FourCCOfSubtype(dshow::MEDIASUBTYPE_RGB24), 0x20424752u); // "RGB "
    // Other RGB subtypes are not translated: their first field as it is.
    EXPECT_EQ(FourCCOfSubtype(dshow::MEDIASUBTYPE_RGB32), dshow::MEDIASUBTYPE_RGB32.Data1);
}

TEST(TVideoFormat, SortByWidthThenHeightKeepsEqualSizesInOrder) {
    std::vector<TVideoFormat> formats;
    formats.push_back(Format(1280, 720, 1, 0));
    formats.push_back(Format(320, 240, 1, 1));
    formats.push_back(Format(640, 480, 1, 2));
    formats.push_back(Format(640, 360, 1, 3));
    formats.push_back(Format(640, 480, 2, 4));
    formats.push_back(Format(320, 240, 3, 5));

    SortVideoFormats(formats);

    std::vector<std::int32_t> order;
    for (const TVideoFormat& format : formats)
        order.push_back(format.CapIndex);
    EXPECT_EQ(order, (std::vector<std::int32_t>{1, 5, 3, 2, 4, 0}));
}

} // namespace
} // namespace kamsel::capture

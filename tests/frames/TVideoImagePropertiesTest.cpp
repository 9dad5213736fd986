// The facade's camera image controls that need no capture object.

#include "frames/TVideoImage.h"

#include <gtest/gtest.h>

namespace kamsel::frames {
namespace {

TEST(TVideoImageProperties, NamesOfTheTenControlsAndNothingElse) {
    const char* expected[] = {"Brightness", "Contrast",    "Hue",          "Saturation", "Sharpness",
                              "Gamma",      "ColorEnable", "WhiteBalance", "Backlight",  "Gain"};
    for (int index = 0; index < 10; ++index) {
        QString name = QStringLiteral("unchanged");
        GetVideoPropertyName(index, name);
        EXPECT_EQ(name, QString::fromLatin1(expected[index])) << index;
    }
    for (int index : {10, -1, 1686}) {
        QString name = QStringLiteral("unchanged");
        GetVideoPropertyName(index, name);
        EXPECT_EQ(name, QStringLiteral("unchanged")) << index;
    }
}

TEST(TVideoImageProperties, ControlNumbersAreTheIndicesZeroToNine) {
    for (int index = 0; index < 10; ++index) {
        std::int32_t control = -5;
        EXPECT_EQ(TVideoImage::VideoPropertyIndex(index, control), 0);
        EXPECT_EQ(control, index);
    }
    for (int index : {10, -1}) {
        std::int32_t control = -5;
        EXPECT_EQ(TVideoImage::VideoPropertyIndex(index, control), 1) << index;
    }
}

} // namespace
} // namespace kamsel::frames

#include "platform/virtualcam/PatternControls.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace kamsel::virtualcam {
namespace {

using media::ImageControl;
using media::kControlFlagsAuto;
using media::kControlFlagsManual;
using ::testing::HasSubstr;

TEST(PatternControls, RangesAreThoseOfAUsbCamera) {
    struct Expected {
        ImageControl control;
        std::int32_t min, max, defaultValue, capsFlags;
    };
    const std::int32_t both = kControlFlagsAuto | kControlFlagsManual;
    const std::vector<Expected> expected = {
        {ImageControl::Brightness, -64, 64, 0, kControlFlagsManual},
        {ImageControl::Contrast, 0, 64, 32, kControlFlagsManual},
        {ImageControl::Hue, -40, 40, 0, kControlFlagsManual},
        {ImageControl::Saturation, 0, 128, 64, kControlFlagsManual},
        {ImageControl::Sharpness, 0, 6, 3, kControlFlagsManual},
        {ImageControl::Gamma, 72, 500, 100, kControlFlagsManual},
        {ImageControl::ColorEnable, 0, 1, 1, kControlFlagsManual},
        {ImageControl::WhiteBalance, 2800, 6500, 4600, both},
        {ImageControl::BacklightCompensation, 0, 2, 0, kControlFlagsManual},
        {ImageControl::Gain, 0, 100, 0, both},
    };
    PatternControls controls("Cam");
    for (const Expected& e : expected) {
        SCOPED_TRACE(static_cast<int>(e.control));
        media::ImageControlRange range;
        ASSERT_TRUE(controls.GetRange(e.control, range).Ok());
        EXPECT_EQ(range.min, e.min);
        EXPECT_EQ(range.max, e.max);
        EXPECT_EQ(range.defaultValue, e.defaultValue);
        EXPECT_GT(range.step, 0);
        EXPECT_EQ(range.capsFlags, e.capsFlags);
        std::int32_t value = -999, flags = 0;
        ASSERT_TRUE(controls.Get(e.control, value, flags).Ok());
        EXPECT_EQ(value, e.defaultValue);
        EXPECT_EQ(flags, e.capsFlags == both ? kControlFlagsAuto : kControlFlagsManual);
    }
}

TEST(PatternControls, AutomaticModesSwitchAndReport) {
    PatternControls controls("Cam");
    std::int32_t value = 0, flags = 0;
    ASSERT_TRUE(controls.Set(ImageControl::WhiteBalance, 3000, kControlFlagsManual).Ok());
    ASSERT_TRUE(controls.Get(ImageControl::WhiteBalance, value, flags).Ok());
    EXPECT_EQ(value, 3000);
    EXPECT_EQ(flags, kControlFlagsManual);
    EXPECT_EQ(controls.Settings().whiteBalance, 3000);

    // Automatic: the camera's own value is in force and reported; the value
    // passed along is not used.
    ASSERT_TRUE(controls.Set(ImageControl::WhiteBalance, 6000, kControlFlagsAuto).Ok());
    ASSERT_TRUE(controls.Get(ImageControl::WhiteBalance, value, flags).Ok());
    EXPECT_EQ(value, PictureSettings::kSceneTemperature);
    EXPECT_EQ(flags, kControlFlagsAuto);
    EXPECT_EQ(controls.Settings().whiteBalance, PictureSettings::kSceneTemperature);

    ASSERT_TRUE(controls.Set(ImageControl::Gain, 70, kControlFlagsManual).Ok());
    EXPECT_EQ(controls.Settings().gain, 70);
    ASSERT_TRUE(controls.SetControl(PatternControls::kGainAutoId, 1).Ok());
    ASSERT_TRUE(controls.Get(ImageControl::Gain, value, flags).Ok());
    EXPECT_EQ(flags, kControlFlagsAuto);
    EXPECT_EQ(controls.Settings().gain, 0);
}

TEST(PatternControls, RefusedSettingsChangeNothing) {
    PatternControls controls("Cam A");
    const PictureSettings before = controls.Settings();
    const struct {
        ImageControl control;
        std::int32_t value, flags;
        int error;
        const char* reason;
    } cases[] = {
        {ImageControl::Brightness, 65, kControlFlagsManual, -ERANGE, "outside -64..64"},
        {ImageControl::Gamma, 71, kControlFlagsManual, -ERANGE, "outside 72..500"},
        {ImageControl::Brightness, 0, kControlFlagsAuto, -EINVAL, "no automatic mode"},
        {ImageControl::Hue, 0, 0, -EINVAL, "flags 0"},
        {ImageControl::Hue, 0, kControlFlagsAuto | kControlFlagsManual, -EINVAL, "flags 3"},
        {static_cast<ImageControl>(10), 0, kControlFlagsManual, -EINVAL, "no image control 10"},
        {static_cast<ImageControl>(-1), 0, kControlFlagsManual, -EINVAL, "no image control -1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        const auto status = controls.Set(c.control, c.value, c.flags);
        EXPECT_EQ(status.error, c.error);
        EXPECT_THAT(status.message, HasSubstr("Cam A"));
        EXPECT_THAT(status.message, HasSubstr(c.reason));
    }
    EXPECT_EQ(controls.Settings(), before);
    media::ImageControlRange range;
    EXPECT_FALSE(controls.GetRange(static_cast<ImageControl>(10), range).Ok());
}

TEST(PatternControls, DialogListsEveryControlWithItsState) {
    PatternControls controls("Cam");
    const auto list = controls.Controls();
    ASSERT_EQ(list.size(), 13u);
    std::set<std::uint32_t> ids;
    for (const auto& control : list)
        ids.insert(control.id);
    EXPECT_EQ(ids.size(), list.size());

    const auto find = [&](std::uint32_t id) {
        return *std::find_if(list.begin(), list.end(), [id](const auto& c) { return c.id == id; });
    };
    // White balance temperature is greyed out while automatic, brightness never.
    EXPECT_TRUE(find(PatternControls::IdOf(ImageControl::WhiteBalance)).inactive);
    EXPECT_FALSE(find(PatternControls::IdOf(ImageControl::Brightness)).inactive);
    const auto menu = find(PatternControls::kPowerLineFrequencyId);
    EXPECT_EQ(menu.kind, media::DeviceControl::Kind::Menu);
    EXPECT_EQ(menu.menuItems.size(), 3u);

    ASSERT_TRUE(controls.SetControl(PatternControls::kWhiteBalanceAutoId, 0).Ok());
    EXPECT_FALSE(controls.Controls()[static_cast<std::size_t>(ImageControl::WhiteBalance)].inactive);
    ASSERT_TRUE(controls.SetControl(PatternControls::IdOf(ImageControl::Hue), -40).Ok());
    ASSERT_TRUE(controls.SetControl(PatternControls::kPowerLineFrequencyId, 0).Ok());
    std::int32_t value = 0;
    ASSERT_TRUE(controls.GetControl(PatternControls::IdOf(ImageControl::Hue), value).Ok());
    EXPECT_EQ(value, -40);
    EXPECT_EQ(controls.Settings().hue, -40);
    EXPECT_EQ(controls.Settings().powerLine, PictureSettings::PowerLine::Disabled);

    EXPECT_EQ(controls.SetControl(PatternControls::kPowerLineFrequencyId, 3).error, -ERANGE);
    EXPECT_EQ(controls.SetControl(PatternControls::kGainAutoId, 2).error, -ERANGE);
    EXPECT_EQ(controls.SetControl(99, 0).error, -EINVAL);
    EXPECT_EQ(controls.GetControl(0, value).error, -EINVAL);
}

} // namespace
} // namespace kamsel::virtualcam

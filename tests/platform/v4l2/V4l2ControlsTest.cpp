#include "EmulatedDeviceTest.h"
#include "platform/v4l2/V4l2Device.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <string>
#include <vector>

namespace kamsel::v4l2::testing {
namespace {

using media::DeviceControl;
using media::ImageControl;
using media::kControlFlagsAuto;
using media::kControlFlagsManual;

class V4l2ControlsTest : public EmulatedDeviceTest {
  protected:
    void SetUp() override { Start(TypicalCamera()); }

    const DeviceControl* Find(const std::vector<DeviceControl>& controls, std::uint32_t id) {
        const auto found =
            std::find_if(controls.begin(), controls.end(), [&](const auto& c) { return c.id == id; });
        return found == controls.end() ? nullptr : &*found;
    }
};

TEST_F(V4l2ControlsTest, RangeComesFromTheDriverAndNamesTheAutomaticMode) {
    media::ImageControlRange whiteBalance, contrast, brightness;

    ASSERT_TRUE(device_->GetImageControlRange(ImageControl::WhiteBalance, whiteBalance).Ok());
    ASSERT_TRUE(device_->GetImageControlRange(ImageControl::Contrast, contrast).Ok());
    ASSERT_TRUE(device_->GetImageControlRange(ImageControl::Brightness, brightness).Ok());

    EXPECT_EQ(whiteBalance.min, 2800);
    EXPECT_EQ(whiteBalance.max, 6500);
    EXPECT_EQ(whiteBalance.step, 10);
    EXPECT_EQ(whiteBalance.defaultValue, 4600);
    EXPECT_EQ(whiteBalance.capsFlags, kControlFlagsManual | kControlFlagsAuto);
    EXPECT_EQ(contrast.max, 95);
    EXPECT_EQ(contrast.capsFlags, kControlFlagsManual);
    // This camera has brightness but no automatic brightness.
    EXPECT_EQ(brightness.min, -64);
    EXPECT_EQ(brightness.capsFlags, kControlFlagsManual);
}

TEST_F(V4l2ControlsTest, ControlsWithoutACounterpartAreNotSupported) {
    media::ImageControlRange range;
    std::int32_t value = 7, flags = 7;

    const media::DeviceStatus colour = device_->GetImageControlRange(ImageControl::ColorEnable, range);
    EXPECT_EQ(colour.error, -EINVAL);
    EXPECT_EQ(colour.message, "ColorEnable is not supported by /dev/video2");
    EXPECT_EQ(device_->GetImageControl(ImageControl::ColorEnable, value, flags).error, -EINVAL);
    EXPECT_EQ(device_->SetImageControl(ImageControl::ColorEnable, 1, kControlFlagsManual).error, -EINVAL);
    EXPECT_EQ(device_->GetImageControlRange(static_cast<ImageControl>(10), range).error, -EINVAL);
    EXPECT_EQ(value, 7);
    EXPECT_EQ(flags, 7);

    EmulatedCamera noGamma = TypicalCamera();
    std::erase_if(noGamma.controls, [](const EmulatedControl& c) { return c.id == V4L2_CID_GAMMA; });
    Start(noGamma);
    const media::DeviceStatus gamma = device_->GetImageControlRange(ImageControl::Gamma, range);
    EXPECT_EQ(gamma.error, -EINVAL);
    EXPECT_EQ(gamma.message, "Gamma is not supported by /dev/video2");
    EXPECT_EQ(device_->GetImageControl(ImageControl::Gamma, value, flags).error, -EINVAL);
}

TEST_F(V4l2ControlsTest, GetReadsTheValueAndWhetherTheAutomaticModeIsOn) {
    std::int32_t value = 0, flags = 0;

    ASSERT_TRUE(device_->GetImageControl(ImageControl::WhiteBalance, value, flags).Ok());
    EXPECT_EQ(value, 4600);
    EXPECT_EQ(flags, kControlFlagsAuto);

    ASSERT_TRUE(device_->GetImageControl(ImageControl::Gain, value, flags).Ok());
    EXPECT_EQ(value, 32);
    EXPECT_EQ(flags, kControlFlagsManual);

    ASSERT_TRUE(device_->GetImageControl(ImageControl::Contrast, value, flags).Ok());
    EXPECT_EQ(flags, kControlFlagsManual);
}

TEST_F(V4l2ControlsTest, SettingAutomaticTurnsTheAutoControlOnAndLeavesTheValue) {
    ASSERT_TRUE(device_->SetImageControl(ImageControl::Gain, 99, kControlFlagsAuto).Ok());

    EXPECT_EQ(io_->ControlValue(kPath, V4L2_CID_AUTOGAIN), 1);
    EXPECT_EQ(io_->ControlValue(kPath, V4L2_CID_GAIN), 32);
    std::int32_t value = 0, flags = 0;
    ASSERT_TRUE(device_->GetImageControl(ImageControl::Gain, value, flags).Ok());
    EXPECT_EQ(flags, kControlFlagsAuto);

    ASSERT_TRUE(device_->SetImageControl(ImageControl::Hue, 0, kControlFlagsAuto).Ok());
    EXPECT_EQ(io_->ControlValue(kPath, V4L2_CID_HUE_AUTO), 1);
}

TEST_F(V4l2ControlsTest, SettingManualTurnsTheAutoControlOffBeforeTheValue) {
    // The camera refuses a manual white balance while the automatic one runs.
    const media::DeviceStatus status =
        device_->SetImageControl(ImageControl::WhiteBalance, 5000, kControlFlagsManual);

    ASSERT_TRUE(status.Ok()) << status.message;
    EXPECT_EQ(io_->ControlValue(kPath, V4L2_CID_AUTO_WHITE_BALANCE), 0);
    EXPECT_EQ(io_->ControlValue(kPath, V4L2_CID_WHITE_BALANCE_TEMPERATURE), 5000);
    EXPECT_TRUE(device_->SetImageControl(ImageControl::Sharpness, 5, kControlFlagsManual).Ok());
    EXPECT_EQ(io_->ControlValue(kPath, V4L2_CID_SHARPNESS), 5);
}

TEST_F(V4l2ControlsTest, AutomaticModeWhereThereIsNoneFailsAndChangesNothing) {
    const media::DeviceStatus contrast =
        device_->SetImageControl(ImageControl::Contrast, 10, kControlFlagsAuto);
    const media::DeviceStatus brightness =
        device_->SetImageControl(ImageControl::Brightness, 10, kControlFlagsAuto);

    EXPECT_EQ(contrast.error, -EINVAL);
    EXPECT_EQ(contrast.message, "automatic Contrast is not supported by /dev/video2");
    EXPECT_EQ(brightness.error, -EINVAL); // V4L2 has automatic brightness, this camera has not
    EXPECT_EQ(io_->ControlValue(kPath, V4L2_CID_CONTRAST), 32);
    EXPECT_EQ(io_->ControlValue(kPath, V4L2_CID_BRIGHTNESS), 0);
}

TEST_F(V4l2ControlsTest, ControlListHasEveryControlADialogCanShow) {
    const std::vector<DeviceControl> controls = device_->Controls();

    std::vector<std::string> names;
    for (const DeviceControl& control : controls)
        names.push_back(control.name);
    // Left out: the two class headings, the disabled zoom, the 64-bit sensor rotation.
    EXPECT_EQ(names, (std::vector<std::string>{"Brightness",
                                               "Contrast",
                                               "Saturation",
                                               "Hue",
                                               "White Balance, Automatic",
                                               "Gamma",
                                               "Gain, Automatic",
                                               "Gain",
                                               "Power Line Frequency",
                                               "Hue, Automatic",
                                               "White Balance Temperature",
                                               "Sharpness",
                                               "Backlight Compensation",
                                               "Auto Exposure",
                                               "Exposure Time, Absolute",
                                               "Pan, Relative",
                                               "Pan, Reset",
                                               "Focus, Absolute",
                                               "Privacy",
                                               "ISO Sensitivity"}));

    const DeviceControl* powerLine = Find(controls, V4L2_CID_POWER_LINE_FREQUENCY);
    ASSERT_NE(powerLine, nullptr);
    EXPECT_EQ(powerLine->kind, DeviceControl::Kind::Menu);
    EXPECT_EQ(powerLine->defaultValue, 1);
    EXPECT_EQ(powerLine->menuItems, (std::vector<std::pair<std::int32_t, std::string>>{
                                        {0, "Disabled"}, {1, "50 Hz"}, {2, "60 Hz"}}));
    // Entries the driver leaves out of a menu stay out.
    EXPECT_EQ(Find(controls, V4L2_CID_EXPOSURE_AUTO)->menuItems,
              (std::vector<std::pair<std::int32_t, std::string>>{{1, "Manual Mode"},
                                                                 {3, "Aperture Priority Mode"}}));
    EXPECT_EQ(Find(controls, V4L2_CID_ISO_SENSITIVITY)->menuItems,
              (std::vector<std::pair<std::int32_t, std::string>>{{0, "100"}, {1, "200"}, {2, "400"}}));

    EXPECT_EQ(Find(controls, V4L2_CID_AUTOGAIN)->kind, DeviceControl::Kind::Boolean);
    EXPECT_EQ(Find(controls, V4L2_CID_PAN_RESET)->kind, DeviceControl::Kind::Button);
    const DeviceControl* exposure = Find(controls, V4L2_CID_EXPOSURE_ABSOLUTE);
    EXPECT_EQ(exposure->kind, DeviceControl::Kind::Integer);
    EXPECT_EQ(exposure->min, 3);
    EXPECT_EQ(exposure->max, 2047);
    EXPECT_TRUE(Find(controls, V4L2_CID_PRIVACY)->readOnly);
    EXPECT_FALSE(Find(controls, V4L2_CID_PRIVACY)->inactive);
    EXPECT_TRUE(Find(controls, V4L2_CID_FOCUS_ABSOLUTE)->inactive);
    // Inactive because automatic white balance is on.
    EXPECT_TRUE(Find(controls, V4L2_CID_WHITE_BALANCE_TEMPERATURE)->inactive);
    EXPECT_FALSE(Find(controls, V4L2_CID_GAIN)->inactive);
}

TEST_F(V4l2ControlsTest, AnyControlCanBeReadAndSetByItsId) {
    std::int32_t value = -1;

    ASSERT_TRUE(device_->SetControl(V4L2_CID_POWER_LINE_FREQUENCY, 2).Ok());
    ASSERT_TRUE(device_->GetControl(V4L2_CID_POWER_LINE_FREQUENCY, value).Ok());
    EXPECT_EQ(value, 2);
    EXPECT_TRUE(device_->SetControl(V4L2_CID_PAN_RESET, 0).Ok());

    const media::DeviceStatus readOnly = device_->SetControl(V4L2_CID_PRIVACY, 1);
    EXPECT_EQ(readOnly.error, -EACCES);
    EXPECT_EQ(readOnly.message, "cannot set Privacy on /dev/video2: Permission denied");
    const media::DeviceStatus unknown = device_->GetControl(0x00981234, value);
    EXPECT_EQ(unknown.error, -EINVAL);
    EXPECT_EQ(unknown.message, "cannot read control 0x00981234 on /dev/video2: Invalid argument");
    EXPECT_EQ(value, 2);
}

} // namespace
} // namespace kamsel::v4l2::testing

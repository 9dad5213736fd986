// Property frames: the device page and the stream format page, driven through
// the hook a test uses to see and close each frame.

#include "GraphTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QSlider>
#include <QTest>

namespace kamsel::dshow::test {
namespace {

using fake::FakeCamera;
using fake::FakeDeviceRegistry;

class PropertyFrameTest : public ::testing::Test {
  protected:
    // Shows the pages of object with caption; inside runs while the frame is
    // open, then the frame is closed with the button given.
    HRESULT Show(IUnknown* object, const CLSID& page, LPCOLESTR caption, std::function<void(QDialog&)> inside,
                 QDialogButtonBox::StandardButton close = QDialogButtonBox::Ok) {
        ScopedPropertyFrameHook hook([&](QDialog& dialog) {
            ++framesShown_;
            QMetaObject::invokeMethod(
                &dialog,
                [&dialog, inside, close] {
                    inside(dialog);
                    dialog.findChild<QDialogButtonBox*>()->button(close)->click();
                },
                Qt::QueuedConnection);
        });
        IUnknown* objects[] = {object};
        return OleCreatePropertyFrame(HWND(&owner_), 0, 0, caption, 1, objects, 1, &page, 0, 0, nullptr);
    }

    LeakCheck leaks_;
    FakeDeviceRegistry devices_;
    std::shared_ptr<FakeCamera> camera_ = devices_.AddCamera("Camera");
    ComPtr<IBaseFilter> filter_ = BindDevice(1);
    QWidget owner_;
    int framesShown_ = 0;
};

TEST_F(PropertyFrameTest, TheDevicePageOffersEveryControl) {
    const HRESULT hr =
        Show(filter_.Get(), CLSID_DeviceControlsPropertyPage, u"Video Capture", [&](QDialog& dialog) {
            EXPECT_EQ(dialog.windowTitle(), "Video Capture");
            EXPECT_TRUE(dialog.isModal());
            auto* slider = dialog.findChild<QSlider*>();
            auto* check = dialog.findChild<QCheckBox*>();
            auto* menu = dialog.findChild<QComboBox*>();
            ASSERT_TRUE(slider && check && menu);
            EXPECT_EQ(slider->value(), 128);
            EXPECT_EQ(menu->count(), 3);
            slider->setValue(200);
            check->setChecked(false);
            menu->activated(2);
            for (QPushButton* button : dialog.findChildren<QPushButton*>())
                if (button->text() == "Pan/Tilt Reset")
                    button->click();
        });
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(framesShown_, 1);
    EXPECT_EQ(camera_->DeviceControlValue(1), 200);
    EXPECT_EQ(camera_->DeviceControlValue(2), 0);
    EXPECT_EQ(camera_->DeviceControlValue(3), 2);
    EXPECT_EQ(camera_->DeviceControlValue(4), 1);
}

// Turning the automatic mode off makes its manual value editable at once,
// as the driver now lists it; a value the driver moved itself is shown.
TEST_F(PropertyFrameTest, TheDevicePageFollowsControlsTheDriverTiesTogether) {
    camera_->SetInactiveWhileOn(1, 2);
    Show(filter_.Get(), CLSID_DeviceControlsPropertyPage, u"Video Capture", [&](QDialog& dialog) {
        auto* slider = dialog.findChild<QSlider*>();
        auto* automatic = dialog.findChild<QCheckBox*>();
        ASSERT_TRUE(slider && automatic);
        EXPECT_FALSE(slider->isEnabled());
        automatic->setChecked(false);
        EXPECT_TRUE(QTest::qWaitFor([&] { return slider->isEnabled(); }, 2000));
        // The driver moves the value itself (here: to 77); the next change
        // anywhere on the page shows it.
        camera_->SetDeviceControls(
            {{1, "Brightness", media::DeviceControl::Kind::Integer, 0, 255, 1, 77, {}},
             {2, "White Balance, Automatic", media::DeviceControl::Kind::Boolean, 0, 1, 1, 0, {}},
             {3,
              "Power Line Frequency",
              media::DeviceControl::Kind::Menu,
              0,
              2,
              1,
              1,
              {{0, "Disabled"}, {1, "50 Hz"}, {2, "60 Hz"}}}});
        dialog.findChild<QComboBox*>()->activated(2);
        EXPECT_TRUE(QTest::qWaitFor([&] { return slider->value() == 77; }, 2000));
        EXPECT_TRUE(slider->isEnabled());
        EXPECT_EQ(camera_->DeviceControlValue(3), 2);
    });
}

TEST_F(PropertyFrameTest, TheStreamPageAppliesTheChosenFormatOnOk) {
    ComPtr<IAMStreamConfig> config;
    ASSERT_EQ(FirstPin(*filter_, PINDIR_OUTPUT).As(config), S_OK);
    const auto choose = [](QDialog& dialog) {
        auto* format = dialog.findChild<QComboBox*>("Format");
        auto* size = dialog.findChild<QComboBox*>("Size");
        auto* rate = dialog.findChild<QComboBox*>("Rate");
        ASSERT_TRUE(format && size && rate);
        EXPECT_EQ(format->currentText(), "YUY2");
        EXPECT_EQ(size->count(), 2);
        format->setCurrentIndex(format->findText("MJPG"));
        EXPECT_EQ(size->count(), 1);
        rate->setCurrentIndex(rate->findText("15.00 fps"));
    };
    EXPECT_EQ(Show(config.Get(), CLSID_VideoStreamConfigPropertyPage, u"", choose, QDialogButtonBox::Cancel),
              S_OK);
    EXPECT_EQ(camera_->CurrentMode().fourcc, media::FourCC("YUY2"));
    EXPECT_EQ(Show(config.Get(), CLSID_VideoStreamConfigPropertyPage, u"", choose), S_OK);
    EXPECT_EQ(camera_->CurrentMode().fourcc, media::FourCC("MJPG"));
    EXPECT_EQ(camera_->CurrentMode().frameInterval, 666667);
}

TEST_F(PropertyFrameTest, FramesThatCannotBeMadeShowNothing) {
    const auto never = [](QDialog&) { ADD_FAILURE() << "no frame expected"; };
    EXPECT_EQ(Show(filter_.Get(), MEDIATYPE_Video, u"", never), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(Show(filter_.Get(), CLSID_VideoStreamConfigPropertyPage, u"", never), E_NOINTERFACE);
    IUnknown* objects[] = {filter_.Get()};
    EXPECT_EQ(OleCreatePropertyFrame(HWND(), 0, 0, u"", 1, objects, 0, &CLSID_DeviceControlsPropertyPage, 0,
                                     0, nullptr),
              E_INVALIDARG);
    EXPECT_EQ(OleCreatePropertyFrame(HWND(), 0, 0, u"", 1, nullptr, 1, &CLSID_DeviceControlsPropertyPage, 0,
                                     0, nullptr),
              E_POINTER);
    EXPECT_EQ(framesShown_, 0);
}

} // namespace
} // namespace kamsel::dshow::test

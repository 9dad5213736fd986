// Cameras that come and go: the device folder's changes, gathered until it is
// quiet, reach a pane that is not running, which lists its cameras again.

#include "pane/DeviceFolderWatcher.h"
#include "pane/TFrame1.h"
#include "platform/dshow/fake/FakeDeviceRegistry.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace kamsel::pane {
namespace {

using namespace std::chrono_literals;

class DeviceFolderWatcherTest : public ::testing::Test {
  protected:
    void Touch(const QString& name) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    void Remove(const QString& name) { ASSERT_TRUE(QFile::remove(folder.filePath(name))); }

    QTemporaryDir folder;
};

TEST_F(DeviceFolderWatcherTest, TellsOnceWhenTheVideoNodesChangedAndTheFolderIsQuiet) {
    int told = 0;
    DeviceFolderWatcher watcher(
        folder.path(), [&] { ++told; }, 100ms);
    // Other devices come and go unnoticed.
    Touch(QStringLiteral("ttyUSB0"));
    Touch(QStringLiteral("videoX"));
    QTest::qWait(400);
    EXPECT_EQ(told, 0);
    // A camera's two nodes in quick succession: one call.
    Touch(QStringLiteral("video0"));
    Touch(QStringLiteral("video1"));
    EXPECT_EQ(told, 0) << "not before the folder is quiet";
    EXPECT_TRUE(QTest::qWaitFor([&] { return told == 1; }, 2000));
    QTest::qWait(300);
    EXPECT_EQ(told, 1);
    EXPECT_EQ(watcher.Devices(), (QSet<QString>{QStringLiteral("video0"), QStringLiteral("video1")}));
    // Gone and back before it is quiet: nothing changed.
    Remove(QStringLiteral("video1"));
    Touch(QStringLiteral("video1"));
    QTest::qWait(400);
    EXPECT_EQ(told, 1);
    Remove(QStringLiteral("video0"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return told == 2; }, 2000));
}

TEST_F(DeviceFolderWatcherTest, APaneNotRunningListsTheCamerasAgainARunningOneKeepsItsList) {
    dshow::fake::FakeDeviceRegistry devices;
    devices.AddCamera("Cam 1");
    devices.AddCamera("Cam 2");
    TFrame1::Services services;
    services.AppFolder = folder.path() + QLatin1Char('/');
    services.ErrorBox = [](QWidget&, const QString& message) { ADD_FAILURE() << message.toStdString(); };
    services.DeviceFolder = folder.path();
    TFrame1 pane(services);
    pane.show();
    pane.InitFrame();
    pane.ComboBox_Cams->setCurrentIndex(1);

    // A camera plugged in: listed at the end, the selection kept.
    devices.AddCamera("Cam 3");
    Touch(QStringLiteral("video0"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return pane.ComboBox_Cams->count() == 3; }, 3000));
    EXPECT_EQ(pane.ComboBox_Cams->currentIndex(), 1);

    // While the pane runs, its list stays as it was started.
    pane.SpeedButton_RunVideo->click();
    ASSERT_TRUE(pane.SpeedButton_Stop->isEnabled());
    devices.AddCamera("Cam 4");
    Touch(QStringLiteral("video2"));
    QTest::qWait(800);
    EXPECT_EQ(pane.ComboBox_Cams->count(), 3);
    pane.SpeedButton_Stop->click();
    EXPECT_EQ(pane.ComboBox_Cams->count(), 4);
    pane.ReleaseVideo();
}

} // namespace
} // namespace kamsel::pane

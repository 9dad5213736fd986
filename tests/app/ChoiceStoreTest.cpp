// The remembered choices on disk: what is written comes back, and a file that
// is damaged or cannot be read gives the defaults with one log line.

#include "ChoiceStore.h"
#include "support/LogCapture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kamsel::app {
namespace {

class ChoiceStoreTest : public ::testing::Test {
  protected:
    void WriteFile(const QByteArray& text) {
        QFile file(fileName);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    QTemporaryDir folder;
    const QString fileName = folder.filePath(QStringLiteral("KamselDemo.conf"));
};

TEST_F(ChoiceStoreTest, WhatIsWrittenComesBackAndNoFileGivesTheDefaults) {
    EXPECT_EQ(ChoiceStore(fileName).Read(), RememberedChoices{});
    RememberedChoices choices;
    choices.Geometry = QByteArray("\x01\xd9\xd0\xcb\x00\x03\x00\x00", 8);
    choices.SplitterRatio = 0.25;
    choices.FitVideo = true;
    choices.Panes[0] = {QStringLiteral("Cam = A; [x]"), 2, QStringLiteral("640 x 480"), 5, true};
    choices.Panes[1] = {QString(), -1, QString(), -1, false};
    ChoiceStore(fileName).Write(choices);
    EXPECT_EQ(ChoiceStore(fileName).Read(), choices);
}

TEST_F(ChoiceStoreTest, ValuesOutOfRangeGiveTheirDefaults) {
    WriteFile("[Window]\nSplitterRatio=7\n[View]\nFitVideo=true\n"
              "[Pane1]\nCameraIndex=-5\nDisplayMode=abc\nCamera=Cam\n");
    const RememberedChoices read = ChoiceStore(fileName).Read();
    EXPECT_EQ(read.SplitterRatio, 0.5);
    EXPECT_TRUE(read.FitVideo);
    EXPECT_EQ(read.Panes[0].CameraIndex, -1);
    EXPECT_EQ(read.Panes[0].DisplayMode, -1);
    EXPECT_EQ(read.Panes[0].Camera, QStringLiteral("Cam"));
}

TEST_F(ChoiceStoreTest, DamagedOrUnreadableFileGivesTheDefaultsAndOneLogLine) {
    WriteFile("[View\nFitVideo=true\n[Pane1]\nDisplayMode=3\n");
    {
        const test::LogCapture log("kamsel.settings");
        EXPECT_EQ(ChoiceStore(fileName).Read(), RememberedChoices{});
        ASSERT_EQ(log.Texts().size(), 1u);
        EXPECT_TRUE(log.Texts()[0].contains(fileName)) << log.Texts()[0].toStdString();
        EXPECT_TRUE(log.Texts()[0].contains(QStringLiteral("damaged"))) << log.Texts()[0].toStdString();
    }
    // A folder where the file should be.
    ASSERT_TRUE(QFile::remove(fileName));
    ASSERT_TRUE(QDir().mkpath(fileName));
    const test::LogCapture log("kamsel.settings");
    EXPECT_EQ(ChoiceStore(fileName).Read(), RememberedChoices{});
    ASSERT_EQ(log.Texts().size(), 1u);
    EXPECT_TRUE(log.Texts()[0].contains(fileName)) << log.Texts()[0].toStdString();
}

} // namespace
} // namespace kamsel::app

#include "TForm_Main.h"
#include "ChoiceStore.h"
#include "TAboutBox.h"
#include "pane/AnchorPanel.h"
#include "pane/PaintBox.h"
#include "pane/TFrame1.h"
#include "support/ScopedEnvironment.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QSplitter>
#include <QSplitterHandle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace kamsel::app {
namespace {

class TForm_MainTest : public ::testing::Test {
  protected:
    // The panes list these cameras, so both can run without hardware; the
    // program reads them once, and the tests after this suite see the
    // environment as it was.
    static void SetUpTestSuite() { cameras.emplace("KAMSEL_VIRTUAL_CAMERAS", "Demo=pattern;Other=pattern"); }
    static void TearDownTestSuite() { cameras.reset(); }
    static inline std::optional<test::ScopedEnvironment> cameras;

    // Each test starts without remembered choices.
    QTemporaryDir configuration;
    test::ScopedEnvironment configHome{"XDG_CONFIG_HOME", configuration.path().toLocal8Bit().constData()};
};

TEST_F(TForm_MainTest, ShowsCentredAtDesignSizeWithHalvedSplitAndLabelledPanes) {
    TForm_Main form;
    form.show();

    const QRect screen = form.screen()->geometry();
    EXPECT_EQ(form.frameGeometry().size(), QSize(776, 600));
    EXPECT_EQ(form.frameGeometry().topLeft(),
              screen.topLeft() + QPoint((screen.width() - 776) / 2, (screen.height() - 600) / 2));
    EXPECT_TRUE(form.windowTitle().startsWith(QStringLiteral("KamselDemo 3.1   [http")));
    EXPECT_TRUE(form.windowTitle().endsWith(QLatin1Char(']')));
    // 0.5 x (776 - 3) = 386.5 goes to the even 386.
    EXPECT_EQ(form.Panel_Left->width(), 386);
    EXPECT_EQ(form.Panel_Right->x(), 386 + 7);
    // The right panel fills what the frame leaves of the width.
    EXPECT_EQ(form.Panel_Right->width(), form.width() - 386 - 7);
    EXPECT_EQ(form.Frame_Video1->Label_Cameras->text(), QStringLiteral("Camera #1"));
    EXPECT_EQ(form.Frame_Video2->Label_Cameras->text(), QStringLiteral("Camera #2"));
    EXPECT_TRUE(form.Frame_Video1->FInitialised);
    EXPECT_TRUE(form.Frame_Video2->FInitialised);
}

TEST_F(TForm_MainTest, SplitterKeepsItsShareOfTheWidthOnResize) {
    TForm_Main form;
    form.show();
    const int frameWidth = form.frameGeometry().width() - form.width();
    form.resize(1000 - frameWidth, 600);
    ASSERT_EQ(form.frameGeometry().width(), 1000);

    // Drag the splitter with the mouse until the left panel is 500 wide; the
    // panes follow when it is released.
    QSplitterHandle* handle = form.Splitter1->handle(1);
    const int grip = 3;
    QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(grip, 100));
    QTest::mouseMove(handle, QPoint(500 + grip - handle->x(), 100));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, QPoint(500 + grip - handle->x(), 100));
    ASSERT_EQ(form.Panel_Left->width(), 500);
    EXPECT_DOUBLE_EQ(form.SplitterRatio, 503.0 / 1000.0);

    // 0.503 x (1200 - 3) = 602.091
    form.resize(1200 - frameWidth, 600);
    EXPECT_EQ(form.Panel_Left->width(), 602);
    EXPECT_EQ(form.Panel_Right->width(), 1200 - frameWidth - 602 - 7);
}

TEST_F(TForm_MainTest, AboutShowsOneBoxWithoutBlockingAndEnterHidesIt) {
    TForm_Main form;
    TAboutBox aboutBox;
    form.SetAboutBox(&aboutBox);
    form.show();

    form.About1->trigger();
    form.About1->trigger();
    int shownBoxes = 0;
    for (QWidget* window : QApplication::topLevelWidgets())
        shownBoxes += dynamic_cast<TAboutBox*>(window) != nullptr && window->isVisible();
    EXPECT_EQ(shownBoxes, 1);
    EXPECT_FALSE(aboutBox.isModal());

    QTest::keyClick(&aboutBox, Qt::Key_Return);
    EXPECT_FALSE(aboutBox.isVisible());
    form.About1->trigger();
    EXPECT_TRUE(aboutBox.isVisible());
}

// Records, in order, which pane's Stop button was disabled (its camera
// stopped) and which cursor the application showed at that moment.
class StopRecorder : public QObject {
  public:
    struct Stop {
        int Pane;
        Qt::CursorShape Cursor;
    };
    std::vector<Stop> Stops;

    void Watch(QAbstractButton* stopButton, int pane) {
        panes_.emplace_back(stopButton, pane);
        stopButton->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::EnabledChange)
            for (const auto& [button, pane] : panes_)
                if (button == watched && !button->isEnabled())
                    Stops.push_back({pane, QApplication::overrideCursor()
                                               ? QApplication::overrideCursor()->shape()
                                               : Qt::ArrowCursor});
        return false;
    }

  private:
    std::vector<std::pair<QAbstractButton*, int>> panes_;
};

TEST_F(TForm_MainTest, CloseStopsBothCamerasLeftFirstUnderTheWaitCursorThenReleasesTheFacades) {
    TForm_Main form;
    form.show();
    form.Frame_Video1->SpeedButton_RunVideo->click();
    form.Frame_Video2->SpeedButton_RunVideo->click();
    ASSERT_TRUE(form.Frame_Video1->SpeedButton_Stop->isEnabled());
    ASSERT_TRUE(form.Frame_Video2->SpeedButton_Stop->isEnabled());
    StopRecorder recorder;
    recorder.Watch(form.Frame_Video1->SpeedButton_Stop, 1);
    recorder.Watch(form.Frame_Video2->SpeedButton_Stop, 2);

    EXPECT_TRUE(form.close());

    ASSERT_EQ(recorder.Stops.size(), 2u);
    EXPECT_EQ(recorder.Stops[0].Pane, 1);
    EXPECT_EQ(recorder.Stops[1].Pane, 2);
    EXPECT_EQ(recorder.Stops[0].Cursor, Qt::WaitCursor);
    EXPECT_EQ(recorder.Stops[1].Cursor, Qt::WaitCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(form.Frame_Video1->FVideoImage, nullptr);
    EXPECT_EQ(form.Frame_Video2->FVideoImage, nullptr);
    EXPECT_FALSE(form.Frame_Video1->FInitialised);
}

// A close among the events a starting camera lets run (the window's close
// button, a termination signal) releases the facades under the start, which
// then ends without touching them.
TEST_F(TForm_MainTest, CloseWhileACameraStartsEndsTheStartQuietly) {
    TForm_Main form;
    form.show();
    QTimer::singleShot(0, &form, &QWidget::close);
    form.Frame_Video1->SpeedButton_RunVideo->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.Frame_Video1->FVideoImage, nullptr);
}

// A termination signal while a pane's modal box is open: the box is
// dismissed, its caller still finds the pane's facade when the box returns,
// and the window closes after that.
TEST_F(TForm_MainTest, CloseWhileAModalBoxIsOpenWaitsForTheBoxToReturn) {
    TForm_Main form;
    form.show();
    ASSERT_NE(form.Frame_Video1->FVideoImage, nullptr);
    QTimer::singleShot(0, &form, &QWidget::close);
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), QStringLiteral("Video stopped"),
                    QMessageBox::Ok, &form);
    // Answered by hand if the close leaves it open.
    QTimer::singleShot(3000, &box, &QDialog::reject);
    box.exec();
    EXPECT_NE(form.Frame_Video1->FVideoImage, nullptr) << "released while the box was open";
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form.isVisible(); }));
    EXPECT_EQ(form.Frame_Video1->FVideoImage, nullptr);
}

TEST_F(TForm_MainTest, ClosesAtOnceWhenNoPaneWasEverInitialised) {
    TForm_Main form;
    EXPECT_TRUE(form.close());
    EXPECT_EQ(form.Frame_Video1->FVideoImage, nullptr);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// What the user chose in one run is back in the next, without any camera
// started; the remembered video size is chosen when the camera starts. A
// camera that has gone leaves the first one selected.
TEST_F(TForm_MainTest, RemembersTheUsersChoicesForTheNextRun) {
    QString size;
    {
        TForm_Main form;
        form.show();
        form.FitVideo1->trigger();
        pane::TFrame1& left = *form.Frame_Video1;
        left.ComboBox_DisplayMode->setCurrentIndex(3);
        emit left.ComboBox_DisplayMode->activated(3);
        left.SpeedButton_RunVideoClick();
        ASSERT_GT(left.ComboBox1->count(), 1);
        left.ComboBox1->setCurrentIndex(left.ComboBox1->count() - 1);
        emit left.ComboBox1->activated(left.ComboBox1->count() - 1);
        size = left.ComboBox1->currentText();
        pane::TFrame1& right = *form.Frame_Video2;
        right.ComboBox_Cams->setCurrentIndex(1);
        emit right.ComboBox_Cams->activated(1);
        right.SpeedButton1Click();
        form.resize(900, 500);
        form.close();
    }
    {
        TForm_Main form;
        form.show();
        EXPECT_EQ(form.size(), QSize(900, 500));
        EXPECT_TRUE(form.FitVideo1->isChecked());
        EXPECT_TRUE(form.Frame_Video2->PaintBox_Video->Fit());
        pane::TFrame1& left = *form.Frame_Video1;
        EXPECT_EQ(left.ComboBox_DisplayMode->currentIndex(), 3);
        EXPECT_EQ(left.Panel_Top->height(), pane::TFrame1::kTopHeight);
        EXPECT_EQ(form.Frame_Video2->ComboBox_Cams->currentText(), QStringLiteral("Other"));
        EXPECT_EQ(form.Frame_Video2->Panel_Top->height(), pane::TFrame1::kTopHeightSettings);
        EXPECT_FALSE(left.SpeedButton_Stop->isEnabled());
        EXPECT_FALSE(form.Frame_Video2->SpeedButton_Stop->isEnabled());
        left.SpeedButton_RunVideoClick();
        EXPECT_EQ(left.ComboBox1->currentText(), size);
        form.close();
    }
    // The right pane's camera unplugged meanwhile.
    ChoiceStore store;
    RememberedChoices choices = store.Read();
    choices.Panes[1].Camera = QStringLiteral("Gone");
    store.Write(choices);
    TForm_Main form;
    form.show();
    EXPECT_EQ(form.Frame_Video2->ComboBox_Cams->currentIndex(), 0);
    EXPECT_EQ(form.Frame_Video1->ComboBox_DisplayMode->currentIndex(), 3);
}

} // namespace
} // namespace kamsel::app

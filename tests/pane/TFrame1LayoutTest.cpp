// The pane's look: places and sizes, the settings area, captions that fit,
// the button pictures and hints, and the paint box that keeps its picture.

#include "PaneTestSupport.h"

#include "pane/ButtonPictures.h"
#include "platform/dshow/fake/FakeDeviceRegistry.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QMenu>
#include <QScreen>
#include <QSlider>
#include <QWindow>

#include <gtest/gtest.h>

namespace kamsel::pane {
namespace {

class TFrame1Layout : public ::testing::Test {
  protected:
    TFrame1Layout() { Pane().InitFrame(); }
    TFrame1& Pane() { return *under.pane; }

    dshow::fake::FakeDeviceRegistry devices;
    test::PaneUnderTest under;
};

// The width the label's visible caption needs in the label's font (trailing
// blanks of a caption show nothing).
int CaptionWidth(const QLabel& label) {
    return QFontMetrics(label.font()).horizontalAdvance(label.text().trimmed());
}

TEST_F(TFrame1Layout, ControlsSitWhereTheDesignPutsThem) {
    EXPECT_EQ(Pane().Panel_Top->geometry(), QRect(0, 0, 368, 104));
    EXPECT_EQ(Pane().ComboBox_Cams->geometry(), QRect(8, 16, 193, 21));
    EXPECT_EQ(Pane().SpeedButton_RunVideo->geometry(), QRect(216, 14, 23, 22));
    EXPECT_EQ(Pane().SpeedButton_VidSize->geometry(), QRect(312, 14, 23, 22));
    EXPECT_EQ(Pane().ComboBox_DisplayMode->geometry(), QRect(8, 56, 193, 21));
    EXPECT_EQ(Pane().ComboBox1->geometry(), QRect(216, 56, 121, 21));
    EXPECT_EQ(Pane().Bevel1->geometry(), QRect(88, 88, 249, 9));
    EXPECT_EQ(Pane().PaintBox_Video->geometry(), QRect(8, 32, 359, 436));
    EXPECT_EQ(Pane().Label_fps->pos(), QPoint(144, 12));
    EXPECT_EQ(Pane().ComboBox_Cams->currentText(), QStringLiteral("No cameras found."));
    EXPECT_EQ(Pane().ComboBox_DisplayMode->currentIndex(), -1);
    EXPECT_EQ(Pane().ComboBox_DisplayMode->count(), 6);
    // Every control is found by its design name.
    for (const char* name :
         {"Label_Cameras", "SpeedButton_Pause", "SpeedButton_Stop", "SpeedButton_VidSettings", "Label1",
          "Label3", "SpeedButton1", "Label4", "Panel_Bottom", "Label_VideoSize", "Label2", "PopupMenu1"})
        EXPECT_NE(Pane().findChild<QObject*>(QLatin1String(name)), nullptr) << name;
    EXPECT_EQ(Pane().Updatelistofcameras1->text(), QStringLiteral("Update list of cameras"));
}

TEST_F(TFrame1Layout, TheSettingsButtonOpensAndClosesTheRows) {
    Pane().SpeedButton1->click();
    EXPECT_EQ(Pane().Panel_Top->height(), 377);
    EXPECT_EQ(Pane().PaintBox_Video->height(), 436 - (377 - 104));
    for (int i = 0; i < 10; ++i) {
        const TImageControlRow& row = Pane().FControlRows[std::size_t(i)];
        EXPECT_EQ(row.NameLabel->y(), 112 + 26 * i);
        EXPECT_EQ(row.NameLabel->x(), 8);
        EXPECT_EQ(row.TrackBar->geometry(), QRect(100, 104 + 26 * i, 218, 25));
        EXPECT_EQ(row.CheckBox->pos(), QPoint(326, 109 + 26 * i));
        EXPECT_EQ(row.CheckBox->width(), row.CheckBox->height() + 4);
        EXPECT_EQ(row.TrackBar->property("tag").toInt(), i);
        EXPECT_EQ(row.CheckBox->property("tag").toInt(), i);
        EXPECT_EQ(row.TrackBar->tickPosition(), QSlider::TicksBothSides);
    }
    const QRect last = Pane().FControlRows[9].TrackBar->geometry();
    EXPECT_EQ(last.y() + last.height(), 363);
    EXPECT_TRUE(Pane().FControlRows[9].CheckBox->isVisibleTo(&Pane()));

    Pane().SpeedButton1->click();
    EXPECT_EQ(Pane().Panel_Top->height(), 104);
    EXPECT_EQ(Pane().PaintBox_Video->height(), 436);
}

TEST_F(TFrame1Layout, AWiderPaneStretchesSlidersLineAndVideoAndKeepsBoxesAtTheRightEdge) {
    Pane().resize(568, 680);
    EXPECT_EQ(Pane().FControlRows[0].TrackBar->width(), 418);
    EXPECT_EQ(Pane().FControlRows[0].CheckBox->x(), 526);
    EXPECT_EQ(Pane().Bevel1->width(), 449);
    EXPECT_EQ(Pane().PaintBox_Video->size(), QSize(559, 536));
    EXPECT_EQ(Pane().SpeedButton_RunVideo->pos(), QPoint(216, 14));
}

TEST_F(TFrame1Layout, EveryCaptionFitsItsPlace) {
    const QFont font = Pane().Label_Cameras->font();
    EXPECT_EQ(font.pixelSize(), 11);
    RecordProperty("font", QFontInfo(font).family().toStdString());
    // Labels in a row must end before the next control begins.
    const auto fitsBefore = [](const QLabel& label, int right) {
        EXPECT_LE(label.x() + CaptionWidth(label), right) << label.text().toStdString();
        EXPECT_GE(label.width(), CaptionWidth(label)) << label.text().toStdString();
    };
    fitsBefore(*Pane().Label_Cameras, 368);
    EXPECT_LE(Pane().Label_Cameras->y() + QFontMetrics(font).height(), Pane().ComboBox_Cams->y() + 2);
    fitsBefore(*Pane().Label1, 216);
    fitsBefore(*Pane().Label3, 368);
    fitsBefore(*Pane().Label4, Pane().Bevel1->x());
    fitsBefore(*Pane().Label_VideoSize, Pane().Label_fps->x());
    fitsBefore(*Pane().Label_fps, Pane().Label2->x());
    fitsBefore(*Pane().Label2, 368);
    for (const TImageControlRow& row : Pane().FControlRows)
        fitsBefore(*row.NameLabel, row.TrackBar->x());
    // The longest items of the drop-down boxes and a large video size.
    const QFontMetrics metrics(Pane().ComboBox_DisplayMode->font());
    EXPECT_LE(metrics.horizontalAdvance(QStringLiteral("Highlighted differences")), 193 - 24);
    EXPECT_LE(metrics.horizontalAdvance(QStringLiteral("1920*1080  (MJPG)")), 121 - 24);
    Pane().Label_VideoSize->setText(QStringLiteral("Video size 1920 x 1080"));
    Pane().Label_VideoSize->adjustSize();
    fitsBefore(*Pane().Label_VideoSize, Pane().Label_fps->x());
    Pane().SetRateCaption(QStringLiteral("fps: 29.9 [30.0] (0 [2] skipped)"));
    fitsBefore(*Pane().Label_fps, Pane().Label2->x());
}

TEST_F(TFrame1Layout, LongRateAndRatioCaptionsNeitherOverlapNorPassTheRightEdge) {
    ElidedLabel& rate = *Pane().Label_fps;
    ElidedLabel& ratio = *Pane().Label2;
    const auto separate = [&] {
        EXPECT_LE(rate.geometry().right(), ratio.x());
        EXPECT_LE(ratio.geometry().right(), Pane().Panel_Bottom->width() - 1);
        // Whatever is painted fits the label's own width.
        for (const ElidedLabel* label : {&rate, &ratio})
            EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->ShownText()), label->width());
    };
    const QString longRate = QStringLiteral("fps: 30.0 [30.0] (0 [3001] skipped)");
    const QString longRatio = QStringLiteral("Diff-Ratio: 100.000%");

    // Usual lengths: the designed places, whole captions, no tool tips.
    Pane().SetRateCaption(QStringLiteral("fps: 29.9 [30.0] (0 [2] skipped)"));
    Pane().SetDifferenceCaption(QStringLiteral("Diff-Ratio: 0.0%"));
    EXPECT_EQ(rate.pos(), QPoint(144, 12));
    EXPECT_EQ(ratio.pos(), QPoint(296, 12));
    EXPECT_EQ(rate.ShownText(), rate.text());
    EXPECT_TRUE(rate.toolTip().isEmpty());
    separate();

    // Long ones in the designed width: cut short, whole in the tool tip.
    Pane().SetRateCaption(longRate);
    Pane().SetDifferenceCaption(longRatio);
    separate();
    EXPECT_EQ(rate.text(), longRate);
    EXPECT_EQ(rate.toolTip(), longRate);
    EXPECT_EQ(ratio.toolTip(), longRatio);
    EXPECT_TRUE(ratio.ShownText().startsWith(QStringLiteral("Diff")));

    // A wider pane shows both whole, the ratio moved right of the rate.
    Pane().resize(568, 580);
    separate();
    EXPECT_EQ(rate.ShownText(), longRate);
    EXPECT_EQ(ratio.ShownText(), longRatio);
    EXPECT_TRUE(rate.toolTip().isEmpty());
    EXPECT_TRUE(ratio.toolTip().isEmpty());
    EXPECT_GT(ratio.x(), 296);
}

TEST_F(TFrame1Layout, ButtonsShowTheirPicturesInThreeStatesAndTheirHints) {
    EXPECT_EQ(Pane().SpeedButton_RunVideo->toolTip(), QStringLiteral("Start/Resume Video"));
    EXPECT_EQ(Pane().SpeedButton_Pause->toolTip(), QStringLiteral("Pause Video"));
    EXPECT_EQ(Pane().SpeedButton_Stop->toolTip(), QStringLiteral("Stop Video"));
    EXPECT_EQ(Pane().SpeedButton_VidSettings->toolTip(), QStringLiteral("Open video properties dialog"));
    EXPECT_EQ(Pane().SpeedButton_VidSize->toolTip(), QStringLiteral("Open video stream properties dialog"));
    EXPECT_TRUE(Pane().SpeedButton1->toolTip().isEmpty());

    std::vector<QImage> seen;
    for (const ButtonPicture picture :
         {ButtonPicture::Play, ButtonPicture::Pause, ButtonPicture::Stop, ButtonPicture::Settings,
          ButtonPicture::StreamSize, ButtonPicture::SettingsRows}) {
        for (const ButtonState state : {ButtonState::Normal, ButtonState::Disabled, ButtonState::Pressed}) {
            const QImage image = ButtonPictures::Draw(picture, state).toImage();
            EXPECT_EQ(image.size(), QSize(16, 16));
            EXPECT_EQ(std::count(seen.begin(), seen.end(), image), 0) << "every picture differs";
            seen.push_back(image);
        }
    }
    // Held down, a button shows its pressed picture.
    QToolButton& play = *Pane().SpeedButton_Stop;
    const QImage normal = play.icon().pixmap(16, 16).toImage();
    play.setEnabled(true);
    play.setDown(true);
    emit play.pressed();
    EXPECT_NE(play.icon().pixmap(16, 16).toImage(), normal);
    emit play.released();
    EXPECT_EQ(play.icon().pixmap(16, 16).toImage(), normal);
}

// ---- the paint box ----

void FillUniform(frames::Bitmap24& bitmap, std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
    const int width = bitmap.Width();
    const int height = bitmap.Height();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = bitmap.ScanLine(y) + 3 * x;
            p[0] = blue;
            p[1] = green;
            p[2] = red;
        }
    }
}

TEST_F(TFrame1Layout, ThePaintBoxKeepsWhatAFrameDoesNotCoverAndClipsTheRest) {
    PaintBox& box = *Pane().PaintBox_Video;
    const QRgb background = box.Background().rgb();
    EXPECT_EQ(box.Backing().pixel(358, 435), background);

    // A picture with distinct pixels, larger than the box in one direction.
    frames::Bitmap24 wide(401, 7);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 401 * 3; ++x)
            wide.ScanLine(y)[x] = std::uint8_t(x * 7 + y * 13);
    Pane().DrawFrame(wide);
    EXPECT_TRUE(test::BoxShows(Pane(), wide));
    EXPECT_EQ(box.Backing().pixel(0, 7), background);

    frames::Bitmap24 small(5, 3);
    FillUniform(small, 10, 20, 30);
    Pane().DrawFrame(small);
    EXPECT_EQ(test::BoxPixel(Pane(), 4, 2), (std::array<int, 3>{10, 20, 30}));
    EXPECT_EQ(test::BoxPixel(Pane(), 5, 2), test::BitmapPixel(wide, 5, 2));
    EXPECT_EQ(test::BoxPixel(Pane(), 4, 3), test::BitmapPixel(wide, 4, 3));

    // Growing keeps the picture and gives the new area the pane's colour;
    // clearing gives the pane's colour everywhere.
    Pane().resize(468, 680);
    EXPECT_EQ(box.Backing().size(), QSize(459, 536));
    EXPECT_EQ(test::BoxPixel(Pane(), 4, 2), (std::array<int, 3>{10, 20, 30}));
    EXPECT_EQ(box.Backing().pixel(400, 3), background);
    EXPECT_EQ(box.Backing().pixel(458, 535), background);
    Pane().ClearPaintBox();
    EXPECT_EQ(box.Backing().pixel(4, 2), background);

    // Other pixel formats are converted.
    frames::Bitmap24 other(2, 2, frames::PixelFormat::Bits32);
    other.Image().fill(QColor(200, 100, 50));
    Pane().DrawFrame(other);
    EXPECT_EQ(test::BoxPixel(Pane(), 1, 1), (std::array<int, 3>{50, 100, 200}));
}

// What the window shows where the paint box is.
QImage OnScreen(QWidget& box) {
    const QPoint at = box.mapTo(box.window(), QPoint(0, 0));
    return box.screen()
        ->grabWindow(box.window()->winId(), at.x(), at.y(), box.width(), box.height())
        .toImage();
}

QRgb BitmapRgb(const QImage& bgr, int x, int y) {
    const uchar* p = bgr.constScanLine(y) + 3 * x;
    return qRgb(p[2], p[1], p[0]);
}

void FillPattern(frames::Bitmap24& bitmap, int seed) {
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width() * 3; ++x)
            bitmap.ScanLine(y)[x] = std::uint8_t(x * 5 + y * 11 + seed);
}

// Pixels of the box's area on the screen that differ from what the frames
// drawn (the newest on top) and the background say.
int WrongPixels(const QImage& screen, const std::vector<QImage>& frames, QRgb background) {
    int wrong = 0;
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x) {
            QRgb expected = background;
            for (const QImage& frame : frames)
                if (x < frame.width() && y < frame.height())
                    expected = BitmapRgb(frame, x, y);
            wrong += screen.pixel(x, y) != expected;
        }
    return wrong;
}

TEST_F(TFrame1Layout, TheScreenShowsEachFrameAsItWasWhenDrawnOverTheOnesBefore) {
    PaintBox& box = *Pane().PaintBox_Video;
    ASSERT_TRUE(test::RunEventsUntil([&] {
        const QWindow* window = box.window()->windowHandle();
        return window && window->isExposed();
    }));
    ASSERT_EQ(OnScreen(box).size(), box.size());
    const QRgb background = box.Background().rgb();
    frames::Bitmap24 first(300, 200), second(120, 50);
    FillPattern(first, 0);
    FillPattern(second, 1);
    const std::vector<QImage> frames{first.Image().copy(), second.Image().copy()};
    Pane().DrawFrame(first);
    box.repaint();
    Pane().DrawFrame(second);
    // The caller reuses its bitmaps at once; the box shows what was drawn.
    FillPattern(first, 2);
    FillPattern(second, 3);
    box.repaint();
    EXPECT_EQ(WrongPixels(OnScreen(box), frames, background), 0);
    EXPECT_EQ(OnScreen(box), box.Backing().convertToFormat(OnScreen(box).format()));

    // A repaint of a small part first, then of the whole box.
    Pane().DrawFrame(first);
    box.repaint(QRect(10, 10, 20, 20));
    box.repaint();
    EXPECT_EQ(WrongPixels(OnScreen(box), {first.Image().copy()}, background), 0);
}

} // namespace
} // namespace kamsel::pane

// Fitting video into the pane: where the picture goes, how it is shrunk, and
// the paint box switching between fitted and unscaled drawing.

#include "frames/Bitmap24.h"
#include "pane/BoxShrink.h"
#include "pane/FitRect.h"
#include "pane/PaintBox.h"

#include <gtest/gtest.h>

namespace kamsel::pane {
namespace {

TEST(FitRect, KeepsTheAspectRatioAndCentres) {
    // A wide frame in the pane's box: full width, margins above and below.
    EXPECT_EQ(FitRect({1920, 1080}, {370, 280}), QRect(0, 36, 370, 208));
    // A tall picture: full height, margins left and right.
    EXPECT_EQ(FitRect({480, 640}, {400, 300}), QRect(87, 0, 225, 300));
    // An odd leftover goes to the right and bottom margins.
    EXPECT_EQ(FitRect({100, 100}, {101, 50}), QRect(25, 0, 50, 50));
    EXPECT_EQ(FitRect({100, 100}, {50, 53}), QRect(0, 1, 50, 50));
    // A small picture is enlarged to fit; the same shape fills the box.
    EXPECT_EQ(FitRect({160, 120}, {370, 280}), QRect(0, 1, 370, 278));
    EXPECT_EQ(FitRect({7, 5}, {70, 50}), QRect(0, 0, 70, 50));
    // Extreme shapes keep a pixel; empty sizes give nothing.
    EXPECT_EQ(FitRect({100000, 1}, {10, 10}), QRect(0, 4, 10, 1));
    EXPECT_TRUE(FitRect({0, 10}, {10, 10}).isEmpty());
    EXPECT_TRUE(FitRect({10, 10}, {10, 0}).isEmpty());
}

TEST(BoxShrink, AveragesTheAreaEachPixelCovers) {
    // Three columns into two: [0, 1) and [1, 3); two rows into one.
    QImage source(3, 2, QImage::Format_BGR888);
    const int values[2][3] = {{10, 20, 40}, {30, 60, 81}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            uchar* pixel = source.scanLine(y) + 3 * x;
            pixel[0] = uchar(values[y][x]);     // blue
            pixel[1] = uchar(values[y][x] + 1); // green
            pixel[2] = uchar(255 - values[y][x]);
        }
    QImage target(4, 3, QImage::Format_RGB32);
    target.fill(0xff123456);
    BoxShrink(source, target, QRect(1, 1, 2, 1));
    EXPECT_EQ(target.pixel(1, 1), qRgb(255 - 20, 21, 20));
    // (20 + 40 + 60 + 81) / 4 = 50.25; red (235 + 215 + 195 + 174) / 4 = 204.75.
    EXPECT_EQ(target.pixel(2, 1), qRgb(205, 51, 50));
    // Nothing outside the rectangle.
    EXPECT_EQ(target.pixel(0, 1), 0xff123456);
    EXPECT_EQ(target.pixel(3, 1), 0xff123456);
    EXPECT_EQ(target.pixel(1, 0), 0xff123456);
    EXPECT_EQ(target.pixel(1, 2), 0xff123456);
}

// A 640 x 480 frame in four coloured quadrants.
void FillQuadrants(frames::Bitmap24& bitmap) {
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            std::uint8_t* pixel = bitmap.ScanLine(y) + 3 * x;
            pixel[0] = x < 320 ? 0 : 255;
            pixel[1] = y < 240 ? 0 : 255;
            pixel[2] = 128;
        }
}

TEST(PaintBoxFit, ScalesTheWholeFrameIntoTheBoxAndBackWhenSwitchedOff) {
    PaintBox box(nullptr);
    box.resize(370, 280);
    box.show();
    const QRgb background = box.Background().rgb();
    frames::Bitmap24 frame(640, 480);
    FillQuadrants(frame);
    ASSERT_FALSE(box.Fit());
    box.SetFit(true);
    box.Draw(frame);
    // 640 x 480 into 370 x 280: 370 x 278 from row 1.
    const QImage fitted = box.Backing().copy();
    EXPECT_EQ(fitted.pixel(5, 0), background);
    EXPECT_EQ(fitted.pixel(5, 279), background);
    EXPECT_EQ(fitted.pixel(0, 1), qRgb(128, 0, 0));
    EXPECT_EQ(fitted.pixel(369, 1), qRgb(128, 0, 255));
    EXPECT_EQ(fitted.pixel(0, 278), qRgb(128, 255, 0));
    EXPECT_EQ(fitted.pixel(369, 278), qRgb(128, 255, 255));

    // A resize fits the kept frame again: 200 x 150 from column 40.
    box.resize(280, 150);
    EXPECT_EQ(box.Backing().pixel(39, 10), background);
    EXPECT_EQ(box.Backing().pixel(40, 0), qRgb(128, 0, 0));
    EXPECT_EQ(box.Backing().pixel(239, 149), qRgb(128, 255, 255));
    EXPECT_EQ(box.Backing().pixel(240, 10), background);

    // Switched off and on again before any paint: the pending frame is
    // fitted at once.
    box.SetFit(false);
    box.SetFit(true);
    EXPECT_EQ(box.Backing().pixel(39, 10), background);
    EXPECT_EQ(box.Backing().pixel(239, 149), qRgb(128, 255, 255));
    // Unscaled again: the frame's top-left part, nothing of the margins.
    box.SetFit(false);
    EXPECT_EQ(box.Backing().pixel(0, 0), qRgb(128, 0, 0));
    EXPECT_EQ(box.Backing().pixel(279, 149), qRgb(128, 0, 0));
    // Fitted again once the frame is in the backing image (a resize or a
    // paint puts it there; a paused camera sends no other).
    box.SetFit(true);
    EXPECT_EQ(box.Backing().pixel(39, 10), background);
    EXPECT_EQ(box.Backing().pixel(239, 149), qRgb(128, 255, 255));
    // Cleared, nothing is drawn again on a resize.
    box.Clear();
    box.resize(370, 280);
    EXPECT_EQ(box.Backing().pixel(185, 140), background);
}

} // namespace
} // namespace kamsel::pane

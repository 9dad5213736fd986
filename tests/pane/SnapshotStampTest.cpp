#include "pane/SnapshotStamp.h"

#include <gtest/gtest.h>

namespace kamsel::pane {
namespace {

using frames::Bitmap24;

QColor PixelAt(const Bitmap24& bitmap, int x, int y) {
    const std::uint8_t* p = bitmap.ScanLine(y) + 3 * x;
    return QColor(p[2], p[1], p[0]);
}

TEST(SnapshotStampTest, ClockGeometry) {
    const QPoint marks[12] = {{20, 8},  {26, 10}, {30, 14}, {32, 20}, {30, 26}, {26, 30},
                              {20, 32}, {14, 30}, {10, 26}, {8, 20},  {10, 14}, {14, 10}};
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(HourMarkCentre(i), marks[i]) << i;
    // 03:00:00: hour hand at 90 degrees, minute and second hands at 0.
    EXPECT_EQ(HandEnd(3 * 30.0, 7), QPoint(27, 20));
    EXPECT_EQ(HandEnd(0.0, 10), QPoint(20, 10));
}

TEST(SnapshotStampTest, TextIsDateAndTimeWithoutZoneAndOnlyTheDateAtMidnight) {
    const QLocale locale(QLocale::English, QLocale::UnitedKingdom);
    const QDate date(2026, 12, 8);
    EXPECT_EQ(StampText(QDateTime(date, QTime(0, 0)), locale), locale.toString(date, QLocale::ShortFormat));
    const QString text = StampText(QDateTime(date, QTime(14, 5, 9)), locale);
    EXPECT_EQ(text, locale.toString(date, QLocale::ShortFormat) + QStringLiteral(" 14:05:09"));
    EXPECT_TRUE(StampText(QDateTime(date, QTime(0, 0, 1)), locale).endsWith(QStringLiteral("00:00:01")));
}

TEST(SnapshotStampTest, DrawsClockAndTextOverTheFrame) {
    Bitmap24 stamp(120, 60);
    for (int r = 0; r < 60; ++r)
        std::fill_n(stamp.ScanLine(r), 360, std::uint8_t{0x40});
    frames::Canvas& canvas = stamp.GetCanvas();
    canvas.Font().setPixelSize(13);
    DrawStamp(canvas, stamp.Height(), QDateTime(QDate(2026, 1, 2), QTime(3, 0, 0)), QStringLiteral("WWWW"));

    // The second hand is drawn last over the minute hand; the hour hand is black.
    EXPECT_EQ(PixelAt(stamp, 20, 11), QColor(255, 0, 0));
    EXPECT_EQ(PixelAt(stamp, 25, 20), QColor(0, 0, 0));
    // A face pixel away from marks and hands is white; outside the face the frame shows.
    EXPECT_EQ(PixelAt(stamp, 14, 24), QColor(255, 255, 255));
    EXPECT_EQ(PixelAt(stamp, 50, 20), QColor(0x40, 0x40, 0x40));
    // The hour mark at 6 o'clock is filled dark.
    EXPECT_LT(PixelAt(stamp, 20, 32).red(), 0x40);

    // The text's cell ends 4 pixels above the bottom; the frame stays visible
    // between the letters and below the cell.
    const int top = 60 - 4 - canvas.TextHeight(QStringLiteral("W"));
    int inked = 0, background = 0;
    for (int y = top; y < 56; ++y)
        for (int x = 4; x < 4 + canvas.TextWidth(QStringLiteral("WWWW")); ++x)
            (PixelAt(stamp, x, y) == QColor(0x40, 0x40, 0x40) ? background : inked)++;
    EXPECT_GT(inked, 20);
    EXPECT_GT(background, inked);
    for (int x = 0; x < 120; ++x) {
        EXPECT_EQ(PixelAt(stamp, x, 58), QColor(0x40, 0x40, 0x40)) << x;
        EXPECT_EQ(PixelAt(stamp, x, top - 1), QColor(0x40, 0x40, 0x40)) << x;
    }
}

} // namespace
} // namespace kamsel::pane

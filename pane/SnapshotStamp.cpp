#include "pane/SnapshotStamp.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kamsel::pane {

using frames::BrushStyle;
using frames::Canvas;

namespace {

constexpr int kCentre = 20;
// Distance of the clock's face and of the text from the picture's edges.
constexpr int kInset = 4;
// Far corner of the clock face's box; its near corner is (kInset, kInset).
constexpr int kClockBox = 36;
// Beyond its box a stamp part may still reach: the hour hand's pen and
// smoothing below the face, glyphs higher than their cell above the text.
constexpr int kClockMargin = 12;
constexpr int kGlyphMargin = 16;

// Nearest integer, a half going to the even neighbour (the default rounding
// mode of the floating-point environment).
int Nearest(double v) {
    return static_cast<int>(std::nearbyint(v));
}

double Radians(double degrees) {
    return degrees * std::numbers::pi / 180.0;
}

// The long time format without its time-zone field ("t"), so that the stamp
// reads the same in every zone the locale is used in.
QString TimeFormatWithoutZone(const QLocale& locale) {
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (const QChar ch : format) {
        if (ch == u'\'')
            quoted = !quoted;
        if (!quoted && ch == u't')
            continue;
        out += ch;
    }
    return out.simplified();
}

void DrawHand(Canvas& canvas, double degrees, int length) {
    const QPoint end = HandEnd(degrees, length);
    canvas.MoveTo(kCentre, kCentre);
    canvas.LineTo(end.x(), end.y());
}

} // namespace

QPoint HourMarkCentre(int i) {
    return HandEnd(i * 30.0, 12);
}

QPoint HandEnd(double degrees, int length) {
    const double a = Radians(degrees);
    return {Nearest(kCentre + length * std::sin(a)), Nearest(kCentre - length * std::cos(a))};
}

QString StampText(const QDateTime& when, const QLocale& locale) {
    const QString date = locale.toString(when.date(), QLocale::ShortFormat);
    if (when.time() == QTime(0, 0))
        return date;
    return date + u' ' + locale.toString(when.time(), TimeFormatWithoutZone(locale));
}

void DrawStamp(Canvas& canvas, int height, const QDateTime& hands, const QString& text) {
    const QTime time = hands.time();
    canvas.Brush() = BrushStyle::Clear;
    canvas.TextOut(kInset, height - kInset - canvas.TextHeight(QStringLiteral("W")), text);

    // A white face with a black rim on every snapshot, whatever the previous
    // one left in the pen and brush.
    canvas.Brush() = BrushStyle::Solid;
    canvas.PenColor() = Qt::black;
    canvas.BrushColor() = Qt::white;
    canvas.Ellipse(kInset, kInset, kClockBox, kClockBox);

    canvas.PenColor() = QColor(128, 128, 128);
    canvas.BrushColor() = Qt::black;
    for (int i = 0; i < 12; ++i) {
        const QPoint c = HourMarkCentre(i);
        canvas.Ellipse(c.x() - 2, c.y() - 2, c.x() + 2, c.y() + 2);
    }

    canvas.PenColor() = Qt::black;
    canvas.PenWidth() = 3;
    DrawHand(canvas, (time.hour() + time.minute() / 60.0) * 30.0, 7);
    canvas.PenWidth() = 1;
    canvas.PenColor() = QColor(0, 0, 255);
    DrawHand(canvas, (time.minute() + time.second() / 60.0) * 6.0, 10);
    canvas.PenColor() = QColor(255, 0, 0);
    DrawHand(canvas, time.second() * 6.0, 10);
}

StampRows RowsTouchedByStamp(int height, int textHeight) {
    StampRows rows;
    rows.ClockEnd = std::min(height, kClockBox + kClockMargin);
    rows.TextBegin = std::clamp(height - kInset - textHeight - kGlyphMargin, rows.ClockEnd, height);
    return rows;
}

} // namespace kamsel::pane

#pragma once
// The stamp a surveillance snapshot carries: the date and time as text in the
// bottom-left corner, and a small analogue clock (a face of 32 pixels at the
// top-left corner, twelve hour marks, hour, minute and second hands).
//
// Geometry: the face is centred on (20, 20); y points down, so 12 o'clock is
// straight up and the hands turn clockwise. Positions are the nearest integer
// of the exact value, a half going to the even neighbour.
//
// Threads: whichever thread owns the canvas.

#include "frames/Bitmap24.h"

#include <QDateTime>
#include <QLocale>
#include <QPoint>
#include <QString>

namespace kamsel::pane {

// Centre of hour mark i (0 = 12 o'clock, clockwise), 12 pixels from the middle.
QPoint HourMarkCentre(int i);
// End of a hand of the given length pointing at the given angle in degrees
// (0 = 12 o'clock, clockwise).
QPoint HandEnd(double degrees, int length);

// The stamp's text: the locale's short date and long time (with seconds, no
// time-zone name), separated by a blank; only the date at exactly midnight.
QString StampText(const QDateTime& when, const QLocale& locale);

// Draws the clock for the time `hands` and the text on canvas, whose bitmap is
// height pixels high. The text's background stays visible; the canvas's pen
// and brush are left as the second hand and the hour marks set them.
void DrawStamp(frames::Canvas& canvas, int height, const QDateTime& hands, const QString& text);

// The rows of a picture `height` rows high that DrawStamp can change, with a
// font whose cells are textHeight rows high: the clock's band [0, ClockEnd)
// and the text's band [TextBegin, height), each with a margin for pens and
// glyphs that reach beyond their box. TextBegin is never above ClockEnd, so
// a picture too low for two bands is one band.
struct StampRows {
    int ClockEnd = 0;
    int TextBegin = 0;
};
StampRows RowsTouchedByStamp(int height, int textHeight);

} // namespace kamsel::pane

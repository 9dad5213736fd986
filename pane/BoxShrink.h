#pragma once
// BoxShrink: a 24-bit picture (blue, green, red bytes) shrunk into a rectangle
// of a 32-bit RGB image by averaging, for each target pixel, the source pixels
// of the area it covers. Every source byte is read once and added into a row
// of sums the vectoriser handles, so shrinking a whole camera frame into a
// pane costs about as much as converting it unscaled; the toolkit's own smooth
// scaling first converts the whole frame into 32 bits and then scales it.
//
// Threads: any; a pure function.

#include <QImage>
#include <QRect>

namespace kamsel::pane {

// source is Format_BGR888; target is Format_RGB32 and holds rect, which is
// no larger than source in either direction. Each target pixel averages the
// source columns [x * sw / w, (x + 1) * sw / w) and rows likewise.
void BoxShrink(const QImage& source, QImage& target, const QRect& rect);

} // namespace kamsel::pane

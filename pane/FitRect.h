#pragma once
// FitRect: where a picture goes when it is fitted into a box: the largest
// rectangle of the picture's aspect ratio that the box holds, centred, odd
// leftovers going to the right and bottom margins. A picture smaller than the
// box is enlarged to fit as well: a small camera size is then as easy to see
// as a large one, and the smooth scaling keeps it soft rather than blocky.
//
// Threads: any; a pure function.

#include <QRect>
#include <QSize>

namespace kamsel::pane {

// Empty when either size is empty. Each side is at least one pixel.
QRect FitRect(QSize picture, QSize box);

} // namespace kamsel::pane

#pragma once
// PaintBox: the pane's video surface, a canvas that keeps its picture. Frames
// are drawn into a backing image of the box's size, unscaled at (0, 0):
// what extends beyond the box is clipped, what a frame does not cover keeps
// what was drawn there before. paintEvent only copies the backing image to the
// screen, so an exposed or resized box shows the last picture again without
// the frame handler's help.
//
// The backing image is 32-bit RGB (0xffRRGGBB), the toolkit's fastest source
// for drawing; a 24-bit frame's blue, green, red bytes go into it row by row
// through BgrToRgb32, a vector shuffle where the processor has one. When the box grows, the new area takes
// the background (the pane's colour); when it shrinks, the cut part is gone.
//
// Threads: user-interface thread.

#include "frames/Bitmap24.h"

#include <QImage>
#include <QWidget>

namespace kamsel::pane {

class PaintBox : public QWidget {
  public:
    explicit PaintBox(QWidget* parent);

    // Draws bitmap with its top-left corner at (0, 0) of the box; bitmap is
    // only read during the call. The screen is updated at the next paint.
    void Draw(const frames::Bitmap24& bitmap);
    // Fills the whole box with the background colour.
    void Clear();
    // The picture the box shows, one pixel per pixel of the box.
    const QImage& Backing() const { return backing_; }
    // The colour of cleared and newly uncovered areas: the parent's window
    // colour, which the box inherits.
    QColor Background() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // Copies 24-bit rows into the backing image; the overlap of both sizes.
    void CopyBgrRows(const frames::Bitmap24& bitmap, int width, int height);

    QImage backing_;
};

} // namespace kamsel::pane

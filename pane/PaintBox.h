#pragma once
// PaintBox: the pane's video surface, a canvas that keeps its picture. Frames
// are drawn into a backing image of the box's size, unscaled at (0, 0):
// what extends beyond the box is clipped, what a frame does not cover keeps
// what was drawn there before. paintEvent shows the kept picture, so an
// exposed or resized box shows the last picture again without the frame
// handler's help.
//
// The backing image is 32-bit RGB (0xffRRGGBB), the toolkit's fastest source
// for drawing. A 24-bit frame is kept as it is (its pixels shared with the
// frame's bitmap, not copied) and painted straight onto the window's surface,
// its blue, green, red bytes turned into 32-bit pixels row by row through
// PixelKernels' ExpandToOpaqueBgra (platform/media), a vector shuffle where
// the processor has one: one pass over the frame on its way to the screen.
// It goes into the backing image the same way
// only when it has to: when its picture is asked for, when a frame that does
// not cover it or one of another format is drawn, when the box is resized, or
// when the painter does not write straight into a 32-bit image. When the box
// grows, the new area takes the background (the pane's colour); when it
// shrinks, the cut part is gone.
//
// Fitted (SetFit), each frame is instead scaled into the box, its aspect
// ratio kept and centred (FitRect), the margins in the background colour;
// shrinking averages the pixels each box pixel covers (BoxShrink), so fine
// detail turns to grey rather than to flicker. The last frame is kept
// (shared) so that a resize or switching fitting on or off draws it again. Only
// the picture changes: whatever reads the frame itself sees it whole.
//
// Threads: user-interface thread.

#include "frames/Bitmap24.h"

#include <QImage>
#include <QWidget>

namespace kamsel::pane {

class PaintBox : public QWidget {
  public:
    explicit PaintBox(QWidget* parent);

    // Scales each frame into the box (true) or draws it unscaled at (0, 0),
    // as by default. The frame shown now is drawn again the new way.
    void SetFit(bool fit);
    bool Fit() const { return fit_; }

    // Draws bitmap with its top-left corner at (0, 0) of the box, or fitted. The box
    // shows bitmap as it is now; the caller may change or drop it afterwards
    // (its pixels are shared, not copied). The screen is updated at the next
    // paint.
    void Draw(const frames::Bitmap24& bitmap);
    // Fills the whole box with the background colour.
    void Clear();
    // The picture the box shows, one pixel per pixel of the box; puts the
    // newest frame into the backing image first.
    const QImage& Backing();
    // The colour of cleared and newly uncovered areas: the parent's window
    // colour, which the box inherits.
    QColor Background() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void DrawUnscaled(const QImage& image);
    void DrawFitted(const QImage& image);
    // Converts the pending frame into the backing image.
    void Settle();
    // Paints rect: where the pending frame covers it converted straight onto
    // the window's surface, the rest from the backing image. Only where the
    // painter writes straight into a 32-bit RGB image at a whole-pixel offset
    // and may paint all of rect; false (nothing done) otherwise.
    bool PaintPending(QPainter& painter, const QRect& rect);

    QImage backing_;
    // The newest 24-bit frame while it is not in the backing image: its
    // pixels, shared with the frame's bitmap (a later change there gives the
    // bitmap a block of its own), and the part of it inside the box. Where it
    // covers the box, it is the box's picture.
    QImage pending_;
    QSize pendingSize_;
    bool fit_ = false;
    // The newest frame, its pixels shared with its bitmap as the pending
    // frame's are: fitted again on a resize, and drawn the new way when
    // fitting is switched, also once the frame has settled.
    QImage last_;
};

} // namespace kamsel::pane
